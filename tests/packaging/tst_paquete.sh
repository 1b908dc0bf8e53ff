#!/usr/bin/env bash
# Builds the Debian package from this build's programs and checks it as Debian and a user would.
# Usage: tst_paquete.sh BUILD_DIR
set -euo pipefail
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
falla() { echo "FALLO: $*" >&2; exit 1; }

cpack -G DEB --config "$1/CPackConfig.cmake" -B "$tmp" >/dev/null
debs=("$tmp"/torvane_*.deb)
deb="${debs[0]}"
[ -f "$deb" ] || falla "no se creó el paquete"

id=es.velmora.torvane
dpkg-deb -c "$deb" | awk '{print $6}' > "$tmp/lista"
for f in usr/bin/torvane usr/bin/torvane-admin \
         usr/share/torvane/informes/Recibo.rpt usr/share/torvane/informes/Recibos.rpt \
         usr/share/applications/$id.desktop usr/share/metainfo/$id.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/$id.svg usr/share/icons/hicolor/48x48/apps/$id.png \
         usr/share/icons/hicolor/256x256/apps/$id.png usr/share/man/man1/torvane.1.gz usr/share/man/man1/torvane-admin.1.gz \
         usr/share/doc/torvane/copyright; do
  grep -qx "./$f" "$tmp/lista" || falla "falta /$f"
done
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || falla "dependencias sin calcular"
dpkg-deb -f "$deb" Depends | grep -q libqt6sql6-psql || falla "sin el controlador del servidor"

dpkg-deb -x "$deb" "$tmp/raiz"
desktop-file-validate "$tmp/raiz/usr/share/applications/$id.desktop"
appstreamcli validate --no-net --pedantic "$tmp/raiz/usr/share/metainfo/$id.metainfo.xml" >/dev/null \
  || falla "metainfo no válido"
file "$tmp/raiz/usr/share/icons/hicolor/48x48/apps/$id.png" | grep -q "48 x 48" \
  || falla "el icono PNG no mide 48 x 48"
lintian --fail-on error "$deb" >"$tmp/lintian" 2>&1 \
  || { cat "$tmp/lintian"; falla "lintian da errores"; }

"$tmp/raiz/usr/bin/torvane-admin" demo "$tmp/datos" 2024
[ -f "$tmp/datos/Informes/Factura.rpt" ] || falla "la demostración no tiene plantillas"
cobros="$(sqlite3 "$tmp/datos/2024/Zudivoz.mdb" 'SELECT COUNT(*) FROM tblCobros')"
[ "$cobros" -gt 0 ] || falla "la demostración no tiene recibos"
echo "paquete correcto: $(basename "$deb")"
