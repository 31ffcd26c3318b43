#include "HelpMenu.h"

#include "AEInfoDialog.h"

#include "AEApplication.h"
#include "ManualLocation.h"
#include "ProjectHost.h"
#include "RegistryStore.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QSysInfo>
#include <QUrl>
#include <QWidget>

namespace {

constexpr int32_t kStringManualMissing = 3313;
constexpr int32_t kStringManualNotOpened = 3326;

} // namespace

namespace HelpMenu {

QString version() {
    return QStringLiteral(GLEAM_VERSION);
}

bool openManual(AEApplication& app, const std::vector<std::string>& folders) {
    const std::string path = ManualLocation::find(folders, app.languageOffset());
    if (path.empty()) {
        app.alert(ProjectHost::textWith(kStringManualMissing, ProjectHost::lines(folders)));
        return false;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)))) {
        // No browser took it: the user can still open it by hand.
        app.alert(ProjectHost::textWith(kStringManualNotOpened, path));
        return false;
    }
    return true;
}

bool openManual(AEApplication& app) {
    return openManual(
        app, ManualLocation::folders(QCoreApplication::applicationDirPath().toStdString()));
}

AEInfoDialog* showInfo(AEApplication& app, QWidget* window) {
    if (auto* open = window->findChild<AEInfoDialog*>()) {
        open->raise();
        open->activateWindow();
        return open;
    }
    AEInfoDialog::Facts facts;
    facts.version = version();
    facts.system = QStringLiteral("%1, Qt %2")
                       .arg(QSysInfo::prettyProductName(), QString::fromLatin1(qVersion()));
    facts.settingsFile = QString::fromStdString(RegistryStore().filePath());
    facts.logFile = QString::fromStdString(app.runLog().path());
    auto* dialog = new AEInfoDialog(
        facts,
        [&app](int32_t id) { return QString::fromUtf8(app.loadString(app.stringId(id, 0))); },
        window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

} // namespace HelpMenu
