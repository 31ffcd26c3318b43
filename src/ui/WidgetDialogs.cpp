#include "WidgetDialogs.h"

#include <QApplication>
#include <QMessageBox>

void WidgetDialogs::alert(const std::string& text, bool owned) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Gleam!"), QString::fromStdString(text),
                    QMessageBox::Ok, owned ? QApplication::activeWindow() : nullptr);
    box.exec();
}

bool WidgetDialogs::askYesNo(const std::string& text) {
    return QMessageBox::question(QApplication::activeWindow(), QStringLiteral("Gleam!"),
                                 QString::fromStdString(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
