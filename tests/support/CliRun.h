#pragma once

// Running a program of the build from a test (gleam-cli, named by GLEAM_CLI, unless told
// otherwise): in the English texts whatever the machine's language, with its exit status
// and output.

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <string>

namespace TestCli {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

// The caller's environment in the C locale. `extra`: "NAME", "value" in turn; a null value
// removes NAME.
inline QProcessEnvironment environment(const QStringList& extra = {}) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C");
    environment.insert("LANG", "C");
    for (qsizetype i = 0; i + 1 < extra.size(); i += 2) {
        if (extra[i + 1].isNull()) {
            environment.remove(extra[i]);
        } else {
            environment.insert(extra[i], extra[i + 1]);
        }
    }
    return environment;
}

inline CliRun run(const QString& program, const QStringList& args,
                  const QProcessEnvironment& env = environment(), int timeoutMs = 120000) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, args);
    process.waitForFinished(timeoutMs);
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

#ifdef GLEAM_CLI
inline CliRun cli(const QStringList& args, const QStringList& extra = {}) {
    return run(GLEAM_CLI, args, environment(extra));
}
#endif

inline QString q(const std::string& text) {
    return QString::fromStdString(text);
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace TestCli
