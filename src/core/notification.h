// Announcing new mail on one account. The account's Notify bits choose the
// actions; they always run in this order: balloon, tune, postman window,
// mail client, clip, wave sound. Each action is carried out by a
// CNotifyActions, so the order and the result can be checked without a
// desktop.
#pragma once

#include "core/settings.h"

#include <string>

// What a check found new on one account: how many mails, and the sender
// (name, else address) and subject of the newest.
struct NewMailNews {
    int count = 0;
    std::string sender;
    std::string subject;
};

// The balloon's text: the newest mail's sender and subject, or, for several
// mails, "새 메일 N통" and the newest one's sender.
std::string BalloonText(const NewMailNews& news);

class CNotifyActions {
  public:
    virtual ~CNotifyActions() = default;
    // A balloon from the tray icon; returns at once.
    virtual void ShowBalloon(const std::string& title, const std::string& text) = 0;
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

// Returns 1 when it started the mail client, else 0. The balloon's title is
// the account's name.
int NotifyNewMail(const ServerEntry& entry, const NewMailNews& news, CNotifyActions& actions);
