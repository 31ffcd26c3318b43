#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The file and folder choices the window asks of the user. Filters are in the program's
// "Name|*.ext|Name|*.ext|||" form. An empty result means cancelled.
class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual QString openFile(QWidget* owner, const QString& title, const QString& directory,
                             const QString& filter) = 0;
    virtual QString saveFile(QWidget* owner, const QString& title, const QString& proposedPath,
                             const QString& filter, const QString& defaultExtension) = 0;
    virtual QString folder(QWidget* owner, const QString& title, const QString& directory) = 0;
    // Several existing files at once; an empty list means cancelled. By default one file.
    virtual QStringList openFiles(QWidget* owner, const QString& title, const QString& directory,
                                  const QString& filter);

    // "Only DAT projects|*.dat|||" as Qt's "Only DAT projects (*.dat)".
    static QString qtFilter(const QString& filter);
};

// Qt's standard file dialogs.
class QtFileChooser : public FileChooser {
public:
    QString openFile(QWidget* owner, const QString& title, const QString& directory,
                     const QString& filter) override;
    QString saveFile(QWidget* owner, const QString& title, const QString& proposedPath,
                     const QString& filter, const QString& defaultExtension) override;
    QString folder(QWidget* owner, const QString& title, const QString& directory) override;
    QStringList openFiles(QWidget* owner, const QString& title, const QString& directory,
                          const QString& filter) override;
};
