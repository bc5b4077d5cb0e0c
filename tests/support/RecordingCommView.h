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
        connectEnabled = downloadEnabled = enabled;
    }
    void setDownloadEnabled(bool enabled) override { downloadEnabled = enabled; }
    void setLiveNeedle(int) override {}
    void markPressureWindow(int, int) override {}
    void RefreshGrid() override {}
    void RefreshTripNeedles() override {}

    QString status() const { return statuses.value(statuses.size() - 1); }

    QStringList statuses;
    QList<int> progress;
    bool connectEnabled = true;
    bool downloadEnabled = true;
};
