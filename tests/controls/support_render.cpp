#include "support_render.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QTest>
#include <QWidget>

namespace {

QString rendersFolder()
{
    const QString folder
        = qEnvironmentVariable("OV_BUILD_DIR", QDir::tempPath()) + QStringLiteral("/renders/controls");
    QDir().mkpath(folder);
    return folder;
}

QList<std::pair<QString, QImage>> &sheet()
{
    static QList<std::pair<QString, QImage>> renders;
    return renders;
}

} // namespace

QImage renderControl(QWidget &widget, const QString &name)
{
    const QColor backdrop = widget.palette().color(QPalette::Window);
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(backdrop);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    image.save(rendersFolder() + QLatin1Char('/') + name + QStringLiteral(".png"));

    QImage dense(widget.size() * 3, QImage::Format_ARGB32_Premultiplied);
    dense.setDevicePixelRatio(3);
    dense.fill(backdrop);
    widget.render(&dense, QPoint(), QRegion(), QWidget::DrawChildren);
    dense.save(rendersFolder() + QLatin1Char('/') + name + QStringLiteral("@3x.png"));
    sheet().append({ name, dense });
    return image;
}

void saveRenderSheet(const QString &name)
{
    // Rows of renders, each under its name, at most 1800 pixels wide.
    constexpr int kWidth = 1800;
    constexpr int kGap = 16;
    constexpr int kLabel = 22;
    int x = kGap, y = kGap, rowHeight = 0, height = 0;
    QList<QPoint> places;
    for (const auto &[label, image] : sheet()) {
        const QSize size = image.size();
        if (x + size.width() > kWidth && x > kGap) {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        places.append(QPoint(x, y));
        x += std::max(size.width(), 200) + kGap;
        rowHeight = std::max(rowHeight, size.height() + kLabel);
        height = y + rowHeight + kGap;
    }
    QImage page(kWidth, std::max(height, 1), QImage::Format_ARGB32_Premultiplied);
    page.fill(QColor(246, 246, 246));
    QPainter painter(&page);
    QFont font = painter.font();
    font.setPixelSize(13);
    painter.setFont(font);
    for (qsizetype i = 0; i < sheet().size(); ++i) {
        const auto &[label, image] = sheet()[i];
        painter.setPen(Qt::black);
        painter.drawText(places[i] + QPoint(0, 15), label);
        QImage flat = image;
        flat.setDevicePixelRatio(1);
        painter.drawImage(places[i] + QPoint(0, kLabel), flat);
    }
    painter.end();
    page.save(rendersFolder() + QLatin1Char('/') + name + QStringLiteral(".png"));
    sheet().clear();
}

bool focusByTab(QWidget &widget)
{
    QWidget *window = widget.window();
    window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    window->activateWindow();
    QApplication::setActiveWindow(window);
    widget.setFocus(Qt::TabFocusReason);
    return widget.hasFocus();
}

bool near(QColor got, QColor expected, int tolerance)
{
    return std::abs(got.red() - expected.red()) <= tolerance
        && std::abs(got.green() - expected.green()) <= tolerance
        && std::abs(got.blue() - expected.blue()) <= tolerance;
}

QString describe(QColor color)
{
    return QStringLiteral("(%1, %2, %3)").arg(color.red()).arg(color.green()).arg(color.blue());
}
