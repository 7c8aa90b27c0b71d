#!/usr/bin/env bash
# Builds the register and starts it on the demo shop.
# On a desktop the window opens there; without a display the register runs on a
# virtual screen that a VNC viewer reaches on 127.0.0.1 only.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
BUILD_DIR=${BUILD_DIR:-build}
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# Only the register and the programs it talks to; the tests are built by test.sh.
cmake --build "$BUILD_DIR" -j"$(nproc)" --target orvenpos orvenpos-demodaten ATrustRegistrierkasseExe qrcode png2bmpcmd WormAPI
BIN="$BUILD_DIR/bin"

"$BIN/orvenpos-demodaten"

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$BIN/orvenpos"
fi

PORT=${ORVENPOS_VNC_PORT:-5900}
ANZEIGE=:${ORVENPOS_ANZEIGE:-77}
Xvfb "$ANZEIGE" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill $XVFB ${VNC:-} 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${ANZEIGE#:}" ] && break; sleep 0.1; done
x11vnc -display "$ANZEIGE" -localhost -rfbport "$PORT" -forever -shared -nopw -quiet >/dev/null 2>&1 &
VNC=$!
echo "ORVEN-POS läuft ohne Bildschirm: mit einem VNC-Viewer auf 127.0.0.1:$PORT verbinden"
echo "(von einem anderen Rechner: ssh -L $PORT:127.0.0.1:$PORT <dieser Rechner>, dann localhost:$PORT)."
DISPLAY="$ANZEIGE" QT_QPA_PLATFORM=xcb "$BIN/orvenpos"
