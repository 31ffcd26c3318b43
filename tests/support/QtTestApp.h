#pragma once

#include <QCoreApplication>

// The one QCoreApplication of a test program, made on first use on the main thread.
inline QCoreApplication& qtTestApp() {
    static int argc = 1;
    static char name[] = "gleam-test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}
