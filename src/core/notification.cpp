#include "core/notification.h"

int NotifyNewMail(const ServerEntry& entry, CNotifyActions& actions) {
    // Each action answers to its own bit only: a bit no action knows (a
    // damaged value, or one written by a later version) starts nothing.
    const int bits = entry.Notify;
    int result = 0;
    if (bits & NotifyTune)
        actions.PlayTune();
    if (bits & NotifyPostman)
        actions.ShowPostmanMailbox();
    if (bits & NotifyMailClient) {
        actions.LaunchMailClient(entry.MailClient, entry.MailClientFile);
        result = 1;
    }
    if (bits & NotifyAviClip)
        actions.PlayAviClip(entry.AviFile);
    if (bits & NotifyWave)
        actions.PlayWave(entry.WaveFile);
    return result;
}
