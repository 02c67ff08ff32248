// The self-closing Yes/No question.
#include "TimedMessageDlg.h"
#include "ModalAnswerer.h"

#include <QElapsedTimer>
#include <QWidget>

#include <gtest/gtest.h>

namespace brisko::test {
namespace {

using ui::TimedMessageDlg;

TEST(TimedMessageDlgTest, ShowsAPlainYesNoQuestionWithYesAsDefault) {
    ModalAnswerer answerer(QMessageBox::No);
    TimedMessageDlg(QStringLiteral("Deseja sair da conta? "));
    ASSERT_TRUE(answerer.Seen());
    EXPECT_EQ(answerer.Seen()->text, QStringLiteral("Deseja sair da conta? "));
    EXPECT_EQ(answerer.Seen()->icon, QMessageBox::NoIcon);
    EXPECT_EQ(answerer.Seen()->defaultButton, QMessageBox::Yes);
    EXPECT_EQ(answerer.Seen()->buttons.size(), 2);
    EXPECT_TRUE(answerer.Seen()->buttons.contains(QMessageBox::Yes));
    EXPECT_TRUE(answerer.Seen()->buttons.contains(QMessageBox::No));
}

TEST(TimedMessageDlgTest, ReturnsTheButtonClicked) {
    for (auto button : {QMessageBox::Yes, QMessageBox::No}) {
        ModalAnswerer answerer(button);
        EXPECT_EQ(TimedMessageDlg(QStringLiteral("?")), button);
    }
}

TEST(TimedMessageDlgTest, UnansweredQuestionClosesItselfOnlyAndIsNotYes) {
    // Another window that has become the active one must not be what the time-out closes.
    QWidget other;
    other.show();
    ModalAnswerer answerer(std::nullopt, [&] { other.activateWindow(); });
    QElapsedTimer shown;
    shown.start();
    const auto result = TimedMessageDlg(QStringLiteral("?"));
    ASSERT_TRUE(answerer.Seen());
    EXPECT_NE(result, QMessageBox::Yes);
    // Closing early would take the operator's time to answer; the bound is loose on purpose.
    EXPECT_GE(shown.elapsed(), ui::kTimedMessageMs * 9 / 10);
    EXPECT_TRUE(other.isVisible());
}

} // namespace
} // namespace brisko::test
