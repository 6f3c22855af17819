// The real Horalux window under the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTest>

#include "clock/clock_window.h"
#include "tests/support/modal_helper.h"

namespace horalux {
namespace {

TEST(HoraluxWindow, TitleGeometryColoursFontAndText) {
    ClockWindow window;
    EXPECT_EQ(window.field()->text(), "-.-.-");
    window.show();
    EXPECT_EQ(window.windowTitle(), "Horalux");
    EXPECT_EQ(window.size(), QSize(120, 55));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowStaysOnTopHint);
    QLabel* field = window.field();
    EXPECT_EQ(field->geometry(), QRect(2, 2, 116, 52));
    EXPECT_EQ(field->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    EXPECT_EQ(field->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(field->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(field->palette().color(QPalette::Window), window.palette().color(QPalette::Button));
    EXPECT_EQ(field->font().family(), "Arial");
    EXPECT_EQ(field->font().pointSize(), 10);
    EXPECT_TRUE(field->font().bold());
    QTest::qWait(500);  // at most half a second until the first refresh
    const QStringList lines = field->text().split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(QStringList({"Sonntag", "Montag", "Dienstag", "Mittwoch", "Donnerstag", "Freitag",
                             "Samstag"})
                    .contains(lines[0]));
    EXPECT_EQ(lines[1], QDate::currentDate().toString(" dd.MM.yyyy"));
    EXPECT_EQ(lines[2].size(), 8);
}

TEST(HoraluxWindow, CloseRequestShowsTheNoticeAndTheWindowStays) {
    ClockWindow window;
    window.show();
    bool noticed = false;
    kelvinor::testing::whenModalOpens([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        noticed = true;
        EXPECT_EQ(box->windowTitle(), "Info");
        EXPECT_EQ(box->text(), QString::fromUtf8("Die Horalux wird über das Kelvinor gesteuert!"));
        EXPECT_EQ(box->parentWidget(), &window);
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_FALSE(window.close());  // refused
    EXPECT_TRUE(noticed);
    EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace horalux
