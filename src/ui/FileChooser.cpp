#include "FileChooser.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

QString FileChooser::qtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty()) {
            break;
        }
        out << QStringLiteral("%1 (%2)").arg(parts[i], QString(parts[i + 1]).replace(';', ' '));
    }
    return out.join(QStringLiteral(";;"));
}

QString QtFileChooser::openFile(QWidget* owner, const QString& title, const QString& directory,
                                const QString& filter) {
    return QFileDialog::getOpenFileName(owner, title, directory, qtFilter(filter));
}

QString QtFileChooser::saveFile(QWidget* owner, const QString& title, const QString& proposedPath,
                                const QString& filter, const QString& defaultExtension) {
    QFileDialog dialog(owner, title, proposedPath, qtFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(defaultExtension);
    dialog.selectFile(QFileInfo(proposedPath).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

QString QtFileChooser::folder(QWidget* owner, const QString& title, const QString& directory) {
    return QFileDialog::getExistingDirectory(owner, title, directory);
}

QStringList FileChooser::openFiles(QWidget* owner, const QString& title, const QString& directory,
                                   const QString& filter) {
    const QString one = openFile(owner, title, directory, filter);
    return one.isEmpty() ? QStringList() : QStringList{one};
}

QStringList QtFileChooser::openFiles(QWidget* owner, const QString& title, const QString& directory,
                                     const QString& filter) {
    return QFileDialog::getOpenFileNames(owner, title, directory, qtFilter(filter));
}
