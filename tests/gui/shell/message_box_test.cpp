// The message-box service with real boxes: a box shown while the start-up splash is up outlives
// the splash (opening a missing file from the command line shows one at start-up).
#include "gui/common/message_box.h"
#include "gui/shell/splash_wnd.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

class MessageBoxTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void boxOutlivesTheSplashThatWasActive() {
        auto* splash = new CSplashWnd();
        splash->ShowFor(100);
        QApplication::setActiveWindow(splash);
        QCOMPARE(QApplication::activeWindow(), static_cast<QWidget*>(splash));
        QPointer<CSplashWnd> watched(splash);
        bool splashGoneWhileBoxUp = false;
        // The splash closes itself on its timer while the box runs its own event loop; once it
        // is gone, the box is answered.
        connect(splash, &QObject::destroyed, this, [&splashGoneWhileBoxUp] {
            splashGoneWhileBoxUp = QApplication::activeModalWidget() != nullptr;
            QTimer::singleShot(0, [] {
                if (QWidget* box = QApplication::activeModalWidget())
                    box->close();
            });
        });
        // Should the splash never go, the test must still end (and fail below).
        QTimer::singleShot(5000, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
        });
        CMessageBox::Show(QMessageBox::Critical, QStringLiteral("File not valid"));
        QVERIFY(watched.isNull());
        QVERIFY(splashGoneWhileBoxUp);
    }
};

QTEST_MAIN(MessageBoxTest)
#include "message_box_test.moc"
