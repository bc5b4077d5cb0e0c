#pragma once

#include "CommView.h"
#include "MessageBoxes.h"
#include "TestSupport.h"

#include <QStringList>

// A window for the cycle: every call, messages too (answered Yes), a line of one transcript.
class RecordingCommView : public CommView, public MessageBoxes
{
public:
    void setStatus(const QString& text) override { lines << u"status "_s + text; }
    void setProgress(int value) override { lines << u"progress %1"_s.arg(value); }
    void setConnectControlsEnabled(bool on) override
    {
        lines << u"connect controls "_s + onOff(on);
    }
    void setDownloadEnabled(bool on) override { lines << u"download "_s + onOff(on); }
    void setLiveNeedle(int pressure) override { lines << u"needle %1"_s.arg(pressure); }
    void markPressureWindow(int high, int low) override
    {
        lines << u"window %1 to %2"_s.arg(low).arg(high);
    }
    void RefreshGrid() override { lines << u"refresh grid"_s; }
    void RefreshTripNeedles() override { lines << u"refresh trip needles"_s; }
    void showDeviceValues(const ParameterSet& device) override
    {
        lines << u"device holds "_s + valuesText(device);
    }
    void uploadFinished(const ParameterSet& device) override
    {
        lines << u"upload finished "_s + valuesText(device);
    }
    void writeAcknowledged(Parameter p, std::int32_t value) override
    {
        lines << u"write acknowledged %1 of parameter %2"_s.arg(value).arg(int(p));
    }
    void readBackFinished(const ParameterSet& device) override
    {
        lines << u"read back "_s + valuesText(device);
    }
    void readBackFailed() override { lines << u"read back failed"_s; }
    void showUnacknowledgedWrite(Parameter p, std::int32_t held, std::int32_t written) override
    {
        lines << u"device may hold %1 or %2 of parameter %3"_s.arg(held).arg(written).arg(int(p));
    }
    void setStatusHint(const QString& hint) override { lines << u"status hint "_s + hint; }
    void setLiveReadingCurrent(bool on) override
    {
        lines << u"live reading current "_s + onOff(on);
    }
    MessageAnswer show(const QString& text, MessageIcon, MessageButtons, MessageAnswer) override
    {
        lines << u"message "_s + text;
        return MessageAnswer::Yes;
    }
    MessageAnswer showDetailed(const QString& text, const QString& details, MessageIcon icon,
                               MessageButtons buttons, MessageAnswer answer) override
    {
        return show(text + u" / "_s + details, icon, buttons, answer);
    }

    QStringList lines;

private:
    static QString onOff(bool on) { return on ? u"on"_s : u"off"_s; }
    static QString valuesText(const ParameterSet& set)
    {
        QStringList values;
        for (int i = 0; i < ParameterCount; ++i)
            values << QString::number(set.value(static_cast<Parameter>(i)));
        return values.join(u' ');
    }
};
