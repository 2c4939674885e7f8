// Announcing new mail on one account. The account's Notify bits choose the
// actions; they always run in this order: tune, postman window, mail
// client, clip, wave sound. Each action is carried out by a CNotifyActions,
// so the order and the result can be checked without a desktop.
#pragma once

#include "core/settings.h"

class CNotifyActions {
  public:
    virtual ~CNotifyActions() = default;
    // Three tones on the PC speaker, each waited for.
    virtual void PlayTune() = 0;
    // The postman window on its mailbox tab.
    virtual void ShowPostmanMailbox() = 0;
    virtual void LaunchMailClient(int code, const std::string& path) = 0;
    // Returns when the clip window has closed.
    virtual void PlayAviClip(const std::string& path) = 0;
    // Starts the sound and returns.
    virtual void PlayWave(const std::string& path) = 0;
};

// Returns 1 when it started the mail client, else 0.
int NotifyNewMail(const ServerEntry& entry, CNotifyActions& actions);
