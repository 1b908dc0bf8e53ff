#pragma once

class QWidget;

namespace torvane {

/** The hourglass over one window while a command runs; restored when it goes out of scope. */
class CursorEspera {
public:
    explicit CursorEspera(QWidget* ventana);
    ~CursorEspera();
    CursorEspera(const CursorEspera&) = delete;
    CursorEspera& operator=(const CursorEspera&) = delete;

private:
    QWidget* ventana_;
};

} // namespace torvane
