#pragma once
#include <QString>

// Starts an outside program and waits for it in 100 ms steps while the user
// interface keeps running. Returns its exit code, or -1 when it could not be
// started or did not end normally. Never raises; no time-out.
int ExecuteAndWait(const QString& verb, const QString& datei, const QString& parameter, int anzeige,
                   const QString& arbeitsordner);
