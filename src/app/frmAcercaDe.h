#pragma once

#include "ui/Ventana.h"

#include <memory>

namespace Ui {
class frmAcercaDe;
}

namespace torvane {

/** The About window; clicking the artwork opens the maker's web page. */
class frmAcercaDe : public Ventana {
    Q_OBJECT

public:
    explicit frmAcercaDe(QWidget* padre = nullptr);
    ~frmAcercaDe() override;

    static inline const QString kWeb = QStringLiteral("https://www.velmora.es");

protected:
    bool eventFilter(QObject* objeto, QEvent* evento) override;

private:
    std::unique_ptr<Ui::frmAcercaDe> ui;
};

} // namespace torvane
