#include "MainWindowFixture.h"

#include "BuildConstants.h"
#include "ConfigDelivery.h"
#include "TestDatabase.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <stdexcept>

namespace brisko::test {

FakeOpener::FakeOpener(const std::filesystem::path& folder)
    : opened_(folder / "opened.txt"), path_(qgetenv("PATH")) {
    std::filesystem::create_directories(folder / "bin");
    const std::filesystem::path opener = folder / "bin" / "xdg-open";
    std::ofstream(opener) << "#!/bin/sh\nprintf '%s' \"$1\" > \"" << opened_.string() << "\"\n";
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    qputenv("PATH", QByteArray::fromStdString((folder / "bin").string()) + ":" + path_);
}

FakeOpener::~FakeOpener() {
    qputenv("PATH", path_);
}

std::string FakeOpener::Opened() const {
    if (!QTest::qWaitFor(
            [&] { return std::filesystem::exists(opened_) && std::filesystem::file_size(opened_) > 0; },
            10'000)) {
        return {};
    }
    std::ifstream in(opened_);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

MainWindowTest::MainWindowTest() : dbFile(folder / "BD" / "BANCO.db"), dispatch(build::kDispatchApiKey) {
    std::filesystem::create_directories(dbFile.parent_path());
    FreshDatabase(dbFile);
    db_ = std::make_unique<store::Database>(dbFile);
    EXPECT_TRUE(dispatch.Start());
    EXPECT_TRUE(marketplace.Start());
}

MainWindowTest::~MainWindowTest() {
    form.reset();
}

void MainWindowTest::Create() {
    ui::MainFormOptions options;
    options.dispatch.baseUrl = dispatch.BaseUrl();
    options.dispatch.caFile = sim::TestCaFile().string();
    options.marketplace.baseUrl = marketplace.BaseUrl();
    options.marketplace.caFile = sim::TestCaFile().string();
    form = std::make_unique<ui::TMainForm>(folder.Path(), options);
}

ui::TFCadastroDelivery* MainWindowTest::AccountDialog() const {
    return form ? form->findChild<ui::TFCadastroDelivery*>() : nullptr;
}

ui::TFEntrega* MainWindowTest::DeliveryDialog() const {
    return form ? form->findChild<ui::TFEntrega*>() : nullptr;
}

void MainWindowTest::Open() {
    Create();
    form->show();
    if (!QTest::qWaitFor([&] { return AccountDialog() != nullptr; }, 10'000)) {
        throw std::runtime_error("the dialogs were not built after the window's first paint");
    }
}

void MainWindowTest::SignIn(const QString& email, const QString& senha) {
    Main<QLineEdit>("EditEmail")->setText(email);
    Main<QLineEdit>("EditSenha")->setText(senha);
    QTest::mouseClick(Main<QPushButton>("Button4"), Qt::LeftButton);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return form->EstaLogado() && Main("PanelPedidos")->isVisible(); }, 10'000))
        << Text("LabelErro").toStdString();
}

void MainWindowTest::StoreAccount(const std::string& login, const std::string& senha) {
    store::GravaContaConfigDelivery(Db(), store::InsereConfigDeliveryVazia(Db()), login, senha);
}

bool MainWindowTest::WaitPassEnd() {
    return QTest::qWaitFor(
        [&] { return Text("StatusBar1Panel0") == QStringLiteral("Proxima Verificação em 29 segundos"); },
        10'000);
}

long long MainWindowTest::Count(const std::string& table) {
    auto statement = Db().Prepare("SELECT COUNT(*) AS N FROM " + table);
    statement.Step();
    return statement.Integer("N");
}

QString MainWindowTest::Text(const char* label) {
    return Main<QLabel>(label)->text();
}

} // namespace brisko::test
