#pragma once

#include <functional>

#include <QString>

#include "keyactions/editorcontext.h"
#include "keyactions/ovkeycodetransformer.h"
#include "platform/sim/simplatform.h"

class QDialog;

// The key-action editors and windows on the simulated platform.
struct EditorFixture
{
    EditorFixture();
    // The localised text of a key.
    QString t(const char *key) const;
    // Runs a modal dialog (`runModal` is its run) and, once it is up,
    // `answer` inside its run, as a user would; a dialog the answer leaves
    // open is cancelled (Escape) and noted in leftOpen.
    int run(QDialog &dialog, const std::function<int()> &runModal, const std::function<void()> &answer);

    platform::sim::SimBus bus;
    platform::sim::SimPlatform sim;
    keyactions::OVKeyCodeTransformer transformer;
    keyactions::EditorContext context;
    bool leftOpen = false;
};
