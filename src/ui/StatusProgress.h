#pragma once

#include "AEUserInterface.h"

#include <QString>

class QProgressBar;
class QPushButton;
class QStatusBar;

// The shared progress display of long operations, in the window's status bar, with a
// cancel button that sets the application's cancel flag.
class StatusProgress : public AEProgressDisplay {
public:
    explicit StatusProgress(QStatusBar* bar, const QString& cancelText);

    void setText(const std::string& text) override;
    void setValues(int32_t value, int32_t maximum) override;
    void hide() override;
    bool visible() const;

private:
    QStatusBar* bar_;
    QProgressBar* progress_;
    QPushButton* cancel_;
};
