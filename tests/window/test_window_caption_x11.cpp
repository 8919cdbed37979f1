// The caption as an X server has it. On a real display Qt adds the
// application's display name to a window title unless the two are equal;
// offscreen it does not, so this runs with xcb on Xvfb and reads the title
// back with xprop.
#include "window_harness.h"

#include <QGuiApplication>
#include <QProcess>
#include <QtTest>

namespace {

/// The window's _NET_WM_NAME as the server holds it, or what went wrong.
QString NetWmName(const QWidget& window) {
    QProcess xprop;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8")); // UTF-8 out, unescaped
    xprop.setProcessEnvironment(env);
    xprop.start(QStringLiteral(XPROP_PATH),
                {QStringLiteral("-notype"), QStringLiteral("-id"), QString::number(window.winId()),
                 QStringLiteral("_NET_WM_NAME")});
    if (!xprop.waitForFinished(5000))
        return QStringLiteral("<xprop did not finish>");
    const QString out = QString::fromUtf8(xprop.readAllStandardOutput()).trimmed();
    const QString prefix = QStringLiteral("_NET_WM_NAME = \"");
    if (!out.startsWith(prefix) || !out.endsWith(QLatin1Char('"')))
        return QStringLiteral("<xprop: ") + out + QStringLiteral(">");
    return out.mid(prefix.size(), out.size() - prefix.size() - 1);
}

QString Caption(const char* interfaceSerial, const char* interfaceVersion,
                const char* encoderSerial, const char* encoderPart) {
    return QStringLiteral("Tessoran® for K730-6W and Velor SPI encoders (ver: 1.0.0.7; IF sn: ") +
           QLatin1String(interfaceSerial) + QStringLiteral(", fw: ") +
           QLatin1String(interfaceVersion) + QStringLiteral("; Encoder sn: ") +
           QLatin1String(encoderSerial) + QStringLiteral(", pn: ") + QLatin1String(encoderPart) +
           QStringLiteral(")");
}

} // namespace

class TestWindowCaptionX11 : public QObject {
    Q_OBJECT
private slots:
    void eachCaptionReachesTheServerAlone() {
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));
        // As the program starts: a display name of its own before any caption.
        QGuiApplication::setApplicationDisplayName(
            QStringLiteral("Tessoran for Velor SPI encoders with K730-6W"));
        WindowHarness h;
        TMainForm& f = h.Start();
        f.show();
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QTRY_COMPARE_WITH_TIMEOUT(NetWmName(f), Caption("", "", "", ""), 5000);

        // A box found, then lost: the caption that follows another one.
        h.channel->Deliver(
            Engine::CaptionFields{"0420317", "V2.03.17", "V24017", "VLR14SPIST16B050"});
        h.form->DrainReports();
        QTRY_COMPARE_WITH_TIMEOUT(
            NetWmName(f), Caption("0420317", "V2.03.17", "V24017", "VLR14SPIST16B050"), 5000);
        h.channel->Deliver(Engine::CaptionFields{"", ".0", "", ""});
        h.form->DrainReports();
        QTRY_COMPARE_WITH_TIMEOUT(NetWmName(f), Caption("", ".0", "", ""), 5000);
    }
};

QTEST_MAIN(TestWindowCaptionX11)
#include "test_window_caption_x11.moc"
