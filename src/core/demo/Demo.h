#pragma once

#include <QString>

namespace torvane {

/** How big a generated year is. The defaults give the small demo a new user opens. */
struct TamanoDemo {
    int inmuebles = 12;
    int inquilinos = 12;
    int conceptos = 6;
    int documentos = 0;         ///< 0: one rent document per let property and month
    int lineasPorDocumento = 0; ///< 0: rent plus, some months, water and community
};

/**
 * Creates carpeta/ano/Zudivoz.mdb with the schema, the Spanish VAT types, series A «Recibos»
 * and B «Facturas» and a few common concepts, and the default templates in carpeta/Informes
 * (never overwriting one). Returns an empty text or the reason.
 */
QString crearAno(const QString& carpeta, const QString& ano);

/** Puts the default report templates in carpeta/Informes, keeping any already there. */
QString escribirPlantillas(const QString& carpeta);

/** Creates a year as crearAno() does and fills it with demo data of the given size. */
QString crearDemo(const QString& carpeta, const QString& ano, const TamanoDemo& tamano = {});

} // namespace torvane
