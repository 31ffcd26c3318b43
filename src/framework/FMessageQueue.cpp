#include "FMessageQueue.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

#include <mutex>

namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class MessageEvent : public QEvent {
public:
    MessageEvent(FMessageReceiver* receiver, FMessage message)
        : QEvent(kMessageEvent), receiver_(receiver), message_(std::move(message)) {}

    FMessageReceiver* receiver_;
    FMessage message_;
};

// Lives on the main thread; Qt delivers events posted to one object with one priority in
// the order they were posted, from whatever thread.
class Dispatcher : public QObject {
public:
    bool event(QEvent* event) override {
        if (event->type() != kMessageEvent) {
            return QObject::event(event);
        }
        auto* message = static_cast<MessageEvent*>(event);
        if (FMessageReceiver::isAlive(message->receiver_)) {
            message->receiver_->notify(message->message_);
        }
        // The message, and with it its object attribute, is released with the event.
        return true;
    }
};

Dispatcher* dispatcher() {
    static std::once_flag once;
    static Dispatcher* instance = nullptr;
    std::call_once(once, [] {
        instance = new Dispatcher;
        // Made once per process and kept: posted events may still name it at exit.
        instance->moveToThread(QCoreApplication::instance()->thread());
    });
    return instance;
}

} // namespace

namespace FMessageQueue {

bool post(FMessageReceiver* receiver, FMessage message) {
    if (!QCoreApplication::instance()) {
        return false;
    }
    QCoreApplication::postEvent(dispatcher(), new MessageEvent(receiver, std::move(message)));
    return true;
}

void deliverPending() {
    if (!QCoreApplication::instance()) {
        return;
    }
    QCoreApplication::sendPostedEvents(dispatcher(), kMessageEvent);
}

} // namespace FMessageQueue
