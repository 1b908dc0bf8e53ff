#pragma once

#include <QHash>
#include <QPageLayout>
#include <QPagedPaintDevice>

namespace torvane {

/**
 * The measures of a printer or PDF writer at a resolution, kept to lay text out without one: a
 * printer is slow to make, and only the thread that made it may use it. A copy is a device of
 * its own, so each thread that paints lays out on its own.
 */
class MedidaImpresora : public QPaintDevice {
public:
    MedidaImpresora(const QPagedPaintDevice& p, int resolucion)
        : resolucion_(resolucion)
        , pagina_(p.pageLayout())
        , medidas_{{PdmWidth, p.width()},
                   {PdmHeight, p.height()},
                   {PdmWidthMM, p.widthMM()},
                   {PdmHeightMM, p.heightMM()},
                   {PdmNumColors, p.colorCount()},
                   {PdmDepth, p.depth()},
                   {PdmDpiX, p.logicalDpiX()},
                   {PdmDpiY, p.logicalDpiY()},
                   {PdmPhysicalDpiX, p.physicalDpiX()},
                   {PdmPhysicalDpiY, p.physicalDpiY()}} {}
    MedidaImpresora(const MedidaImpresora& otra)
        : QPaintDevice()
        , resolucion_(otra.resolucion_)
        , pagina_(otra.pagina_)
        , medidas_(otra.medidas_) {}
    MedidaImpresora& operator=(const MedidaImpresora&) = delete;

    int resolution() const { return resolucion_; }
    const QPageLayout& pageLayout() const { return pagina_; }
    bool igualA(const QPagedPaintDevice& dispositivo, int resolucion) const {
        return resolucion_ == resolucion && pagina_.isEquivalentTo(dispositivo.pageLayout());
    }
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    int metric(PaintDeviceMetric m) const override {
        const auto medida = medidas_.constFind(m);
        return medida != medidas_.cend() ? *medida : QPaintDevice::metric(m);
    }

private:
    int resolucion_;
    QPageLayout pagina_;
    QHash<int, int> medidas_;
};

} // namespace torvane
