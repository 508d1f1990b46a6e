#pragma once
#include <QString>
#include <QStringList>
#include <functional>

#include "cli/RunChoices.h"
#include "link/CountersDisplay.h"
#include "link/LinkChoices.h"
#include "platform/MessageBoxes.h"
#include "platform/MessageSink.h"
#include "profiles/StorageChoices.h"
#include "transfer/TransferControls.h"

namespace vyper::cli {

// A list of lines that hands every line on as it comes (a message list that prints).
class LineSink : public MessageSink {
public:
    explicit LineSink(std::function<void(const QString&)> onLine) : onLine_(std::move(onLine)) {}
    void AddItem(const QString& line) override { onLine_(line); }
    void SelectLast() override {}
    void AddLineShown(const QString& line) override { onLine_(line); }
    void Refresh() override {}

private:
    std::function<void(const QString&)> onLine_;
};

// The counters under the window's message list, kept as numbers; `onChange` is told after
// every change, with whether the dive count changed.
class CountersKept : public CountersDisplay {
public:
    void ShowBytes(int32_t total) override;
    void ShowDives(int32_t number) override;
    void ShowErrors(int16_t count) override { errors = count; }
    void MarkErrors(bool) override {}
    void RefreshErrors() override {}

    int32_t bytes = 0;
    int32_t dives = 0;
    int16_t errors = 0;
    std::function<void(bool diveChanged)> onChange;
};

// The window's controls as the command line fixed them: the link's choices, the limits and
// the storage choices, the same for the whole run.
class FixedRunChoices : public LinkChoices, public TransferControls, public StorageChoices {
public:
    explicit FixedRunChoices(RunChoices choices) : c_(std::move(choices)) {}
    QString InterfaceText() const override { return c_.interfaceText; }
    QString PortText() const override { return QString::number(c_.portNumber); }
    QString DelayText() const override { return c_.delayText; }
    QString DiveCountText() const override { return c_.diveCountText; }
    QString ErrorLimitText() const override { return c_.errorLimitText; }
    void FocusClose() override {}
    bool OnlyNewDives() const override { return c_.onlyNew; }
    OverwritePolicy Overwrite() const override { return c_.overwrite; }

private:
    RunChoices c_;
};

// Message boxes without anyone to click them: each text is handed to `onText` (the command
// line prints it on standard error) and kept; a question is answered "No", anything else
// "OK". The command line offers no choice that asks, so a question means "leave it".
class PrintedBoxes : public MessageBoxes {
public:
    explicit PrintedBoxes(std::function<void(const QString&)> onText) : onText_(std::move(onText)) {}
    int Show(const QString& text, int styleValue, const QString& title) override;
    QStringList texts;

private:
    std::function<void(const QString&)> onText_;
};

}  // namespace vyper::cli
