#include "postman/quick_mail_page.h"

#include "resource.h"

CQuickMailPage::CQuickMailPage() : CTabPage(IDD_QUICK_MAIL_PAGE) {}
