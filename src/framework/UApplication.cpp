#include "UApplication.h"

#include <QCoreApplication>

int UApplication::run() {
    if (!QCoreApplication::instance()) {
        return -1;
    }
    start();
    if (quitCalled_.load()) {
        return 0;
    }
    return QCoreApplication::exec();
}

void UApplication::quit() {
    quitCalled_.store(true);
    if (QCoreApplication::instance()) {
        QCoreApplication::exit(0);
    }
}
