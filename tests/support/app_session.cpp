#include "tests/support/app_session.h"

#include "ui/app_state.h"
#include "ui/windows.h"
#include "app/startup.h"

namespace testing_support {

AppSession::AppSession() {
    EnsureApplication();
    app::CreateWindows();
}

AppSession::~AppSession() {
    app::DestroyWindows();
}

TfrmMain& AppSession::main() {
    return *ui::Win().frmMain;
}

qint64 AppSession::userValue(const QString& sql) {
    auto& q = app::State().ADOQuery2;
    q.open({sql});
    return q.integer(0);
}

} // namespace testing_support
