#pragma once

#include "CommView.h"

#include <QList>
#include <QStringList>

// A window stand-in for the communication cycle: keeps what was shown, in order.
class RecordingCommView : public CommView
{
public:
    void setStatus(const QString& text) override { statuses.append(text); }
    void setProgress(int value) override { progress.append(value); }
    void setConnectControlsEnabled(bool enabled) override
    {
        connectEnabled = enabled;
        downloadEnabled = enabled;
    }
    void setDownloadEnabled(bool enabled) override { downloadEnabled = enabled; }
    void setTimerEnabled(bool on) override { timerOn = on; }
    bool timerEnabled() const override { return timerOn; }
    void setTimerInterval(int milliseconds) override { interval = milliseconds; }
    void setLiveNeedle(int pressure) override { needle = pressure; }
    void markPressureWindow(int high, int low) override { windowMarks.append({high, low}); }
    void RefreshGrid() override { refreshes.append(QStringLiteral("grid")); }
    void RefreshTripNeedles() override { refreshes.append(QStringLiteral("needles")); }

    QString status() const { return statuses.isEmpty() ? QString() : statuses.last(); }

    QStringList statuses;
    QList<int> progress;
    bool connectEnabled = true;
    bool downloadEnabled = true;
    bool timerOn = false;
    int interval = 0;
    int needle = -1;
    QList<QPair<int, int>> windowMarks;
    QStringList refreshes;
};
