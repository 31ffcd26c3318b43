#pragma once

// Running gleam-cli from a test: the program named by GLEAM_CLI (set by the test's target),
// in the English texts whatever the machine's language, with its exit status and output.

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <string>

namespace ProjectTest {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

// `extra`: further environment variables, "NAME", "value" in turn.
inline CliRun cli(const QStringList& args, const QStringList& extra = {}) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C");
    environment.insert("LANG", "C");
    for (qsizetype i = 0; i + 1 < extra.size(); i += 2) {
        environment.insert(extra[i], extra[i + 1]);
    }
    process.setProcessEnvironment(environment);
    process.start(GLEAM_CLI, args);
    process.waitForFinished(120000);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

inline QString q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace ProjectTest
