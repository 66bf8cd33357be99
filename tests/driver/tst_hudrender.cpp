// Renders the driver's notice and the three wheel-function panel layouts to
// PNG files under $OV_BUILD_DIR/renders/ (or the working folder), over a grey
// backdrop so that their translucency shows, for a person to look at.

#include <QDir>
#include <QPainter>
#include <QRegularExpression>
#include <QTest>

#include "driver/ovhudalert.h"
#include "driver/ovhudwin.h"
#include "driver/ovmanager.h"
#include "driver/ovservice.h"
#include "driver/ovwheelfuninfo.h"
#include "store/ovmodels.h"
#include "store/ovpublicdefine.h"
#include "store/ovpublicobject.h"
#include "support_noticedriver.h"

using namespace platform;
using namespace platform::sim;
using driver::OVHUDAlert;
using store::Model;

Q_DECLARE_METATYPE(Model)

namespace {

struct Driver : NoticeDriver
{
    explicit Driver(Model model) { connect(model); }
};

QString rendersFolder()
{
    const QString base = qEnvironmentVariable("OV_BUILD_DIR", QDir::currentPath());
    QDir dir(base);
    dir.mkpath(QStringLiteral("renders"));
    return dir.filePath(QStringLiteral("renders"));
}

// The window over a mid-grey backdrop with a margin.
QImage onBackdrop(QWidget &window)
{
    const QPixmap grabbed = window.grab();
    QImage image(grabbed.size() + QSize(40, 40), QImage::Format_ARGB32);
    image.fill(QColor(110, 120, 130));
    QPainter painter(&image);
    painter.drawPixmap(20, 20, grabbed);
    return image;
}

// Pixels of the text colour (within a tolerance) in the image.
int pixelsNear(const QImage &image, const QColor &colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (qAbs(c.red() - colour.red()) < 40 && qAbs(c.green() - colour.green()) < 40
                && qAbs(c.blue() - colour.blue()) < 40)
                ++count;
        }
    }
    return count;
}

} // namespace

class TestHudRender : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void notice();
    void panel_data();
    void panel();
};

void TestHudRender::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestHudRender::notice()
{
    Driver d(Model::KalverinS);
    d.notice().showInfo(QStringLiteral("R2: Canvas zoom"));
    driver::OVHUDWin *window = d.notice().window();
    QVERIFY(window);
    QCOMPARE(window->height(), 60);
    const QImage image = window->grab().toImage();
    // The green text is drawn inside the box.
    QVERIFY(pixelsNear(image, QColor(35, 126, 91)) > 20);
    QVERIFY(onBackdrop(*window).save(rendersFolder() + QStringLiteral("/notice.png")));

    d.notice().showInfo(QString(200, QLatin1Char('W')));
    QVERIFY(onBackdrop(*window).save(rendersFolder() + QStringLiteral("/notice-long.png")));
}

void TestHudRender::panel_data()
{
    QTest::addColumn<Model>("model");
    QTest::newRow("OVWheelFunInfo") << Model::Sorvi12Pro;
    QTest::newRow("OVWheelFunInfoKalverinM") << Model::KalverinM;
    QTest::newRow("OVWheelFunInfoKalverinS") << Model::KalverinS;
}

void TestHudRender::panel()
{
    QFETCH(Model, model);

    Driver d(model);
    d.service()->wheelCenterKey(true);
    d.sim.runLoop.advance(3.0);
    d.service()->wheelCenterKey(false);
    d.sim.runLoop.drain();
    driver::OVWheelFunInfo *panel = d.service()->wheelFunInfo();
    QVERIFY(panel && panel->window());
    const QImage image = panel->window()->grab().toImage();
    QVERIFY(pixelsNear(image, QColor(35, 126, 91)) > 50);
    QVERIFY(onBackdrop(*panel->window())
                .save(rendersFolder() + QLatin1Char('/') + QLatin1String(QTest::currentDataTag()) + ".png"));
}

QTEST_MAIN(TestHudRender)
#include "tst_hudrender.moc"
