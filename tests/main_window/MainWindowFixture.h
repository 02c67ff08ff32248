#pragma once
// The main window and the account dialog on a fresh database file in a temporary program folder,
// with the dispatch and marketplace simulators listening on 127.0.0.1.
#include "DispatchSimulator.h"
#include "MarketplaceSimulator.h"
#include "TempFolder.h"

#include "Database.h"
#include "UCadastroDelivery.h"
#include "UEntrega.h"
#include "uMainForm.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace brisko::test {

using namespace std::chrono_literals;

inline const QString kDisplayName = QStringLiteral("Brisko Derereve Vilamar");

// Runs `onSeen` once, from inside whatever event loop is running, when a modal widget of type W
// becomes active (a modal dialog's exec() blocks the test's own code).
template <class W> class WhenModal {
public:
    explicit WhenModal(std::function<void(W*)> onSeen) : onSeen_(std::move(onSeen)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            if (auto* widget = qobject_cast<W*>(QApplication::activeModalWidget());
                widget && widget->isVisible()) {
                poll_.stop();
                seen_ = true;
                onSeen_(widget);
            }
        });
        poll_.start(20);
    }
    bool Seen() const { return seen_; }

private:
    std::function<void(W*)> onSeen_;
    QTimer poll_;
    bool seen_ = false;
};

// Stands in for the desktop's opener of web addresses while it lives (an `xdg-open` first in PATH),
// and records the address it was given.
class FakeOpener {
public:
    explicit FakeOpener(const std::filesystem::path& folder);
    ~FakeOpener();
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;

    // The address opened, once one came; empty when none came in time.
    std::string Opened() const;

private:
    std::filesystem::path opened_;
    QByteArray path_;
};

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest();
    ~MainWindowTest() override;

    // Creates the main window as the program does; it builds its dialogs later.
    void Create();
    // Creates and shows the main window, and waits for the dialogs its first paint builds.
    void Open();
    // Signs the demo store in by the sign-in panel and waits for the signed-in layout.
    void SignIn(const QString& email = QStringLiteral("loja@demo.com"),
                const QString& senha = QStringLiteral("demo123"));
    // A marketplace account row, so that sign-in does not stop in the account dialog.
    void StoreAccount(const std::string& login, const std::string& senha);
    // Waits for the end of the next pass: the countdown starts again from 29.
    bool WaitPassEnd();

    // The test's own connection to the program's database file.
    store::Database& Db() { return *db_; }
    long long Count(const std::string& table);

    // A widget of the main window itself (the dialog has controls of the same names).
    template <class W = QWidget> W* Main(const char* name) {
        for (W* widget : form->findChildren<W*>(QString::fromLatin1(name))) {
            if (widget->window() == form.get()) {
                return widget;
            }
        }
        ADD_FAILURE() << "no " << name << " on the main window";
        return nullptr;
    }
    template <class W = QWidget> W* Dialog(const char* name) {
        W* widget = AccountDialog()->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QString Text(const char* label);

    TempFolder folder;
    std::filesystem::path dbFile;
    sim::DispatchSimulator dispatch;
    sim::MarketplaceSimulator marketplace;
    // The window's own dialogs; null until the window has built them.
    ui::TFCadastroDelivery* AccountDialog() const;
    ui::TFEntrega* DeliveryDialog() const;

    std::unique_ptr<ui::TMainForm> form;

private:
    std::unique_ptr<store::Database> db_;
};

} // namespace brisko::test
