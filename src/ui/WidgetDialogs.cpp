#include "WidgetDialogs.h"

#include "AEApplication.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

constexpr int32_t kStringYes = 3324;
constexpr int32_t kStringNo = 3325;

// Qt's own button texts are English: the program's answer words take their place.
void nameButton(QMessageBox& box, QMessageBox::StandardButton which, int32_t id) {
    AEApplication* app = AEApplication::current();
    if (QAbstractButton* button = box.button(which); button && app) {
        button->setText(QString::fromUtf8(app->loadString(app->stringId(id, 0))));
    }
}

} // namespace

void WidgetDialogs::alert(const std::string& text, bool owned) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Gleam!"), QString::fromStdString(text),
                    QMessageBox::Ok, owned ? QApplication::activeWindow() : nullptr);
    box.exec();
}

std::unique_ptr<QMessageBox> WidgetDialogs::questionBox(const std::string& text) {
    auto box = std::make_unique<QMessageBox>(
        QMessageBox::Question, QStringLiteral("Gleam!"), QString::fromStdString(text),
        QMessageBox::Yes | QMessageBox::No, QApplication::activeWindow());
    nameButton(*box, QMessageBox::Yes, kStringYes);
    nameButton(*box, QMessageBox::No, kStringNo);
    return box;
}

bool WidgetDialogs::askYesNo(const std::string& text) {
    return questionBox(text)->exec() == QMessageBox::Yes;
}
