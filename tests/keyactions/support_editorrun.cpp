#include "support_editorrun.h"

#include <QDialog>
#include <QTimer>

#include "platform/workspace.h"

EditorFixture::EditorFixture()
    : sim(bus, QLatin1String(platform::kSettingBundleId))
    , transformer(sim.keyboard, sim.strings)
{
    context.platform = &sim.platform();
    context.transformer = &transformer;
}

QString EditorFixture::t(const char *key) const
{
    return sim.strings.text(QLatin1String(key));
}

int EditorFixture::run(QDialog &dialog, const std::function<int()> &runModal, const std::function<void()> &answer)
{
    leftOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
        answer();
        if (dialog.isVisible()) {
            leftOpen = true;
            dialog.reject();
        }
    });
    return runModal();
}
