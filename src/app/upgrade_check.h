// The quiet upgrade check at start-up: asks the maker's server for the latest
// version on a worker thread and speaks only when it names another version
// than ours, offering the home page. A server that cannot be reached, or
// answers with nothing, is not mentioned.
#pragma once

#include "widgets/web_site.h"
#include "framework/background_job.h"

#include <string>

class CUpgradeCheck {
  public:
    // Returns at once; the question, if any, comes later on this thread.
    void CheckUpgradeAtStart(const std::string& ownVersion, const std::string& versionFile = versionFileUrl);

  private:
    CBackgroundJob fetch;
};
