#pragma once

#include <QDialog>

#include <memory>

class LinkDriver;
class LinkTestRun;
class LineTestRun;
class LinkTrace;
class TracedPort;
namespace Ui {
class LinkTestWindow;
}

// "Diagnostika linky": runs the link diagnosis on the window's port and shows its report and
// the reply times as bars; and "Záznam komunikace", the line's trace, off until ticked. The
// engine's clock stands still while the diagnosis runs, so that its ticks do not take the
// replies being measured.
class LinkTestWindow : public QDialog {
    Q_OBJECT
public:
    // `tracedPort`: the driver's port when it can keep a trace (null: the option is off).
    LinkTestWindow(LinkDriver& driver, TracedPort* tracedPort, QWidget* parent = nullptr);
    ~LinkTestWindow() override;

    // Where "Záznam komunikace" writes.
    static QString defaultTracePath();

private:
    void runTest();
    void testFinished();
    void setTracing(bool on);

    std::unique_ptr<Ui::LinkTestWindow> m_ui;
    LinkDriver& m_driver;
    TracedPort* m_tracedPort;
    std::unique_ptr<LinkTrace> m_trace;
    LineTestRun* m_run = nullptr;
    bool m_driverWasRunning = false;
};
