#include "core/notification.h"

int NotifyNewMail(const ServerEntry& entry, CNotifyActions& actions) {
    int bits = entry.Notify;
    int result = 0;
    if (bits > 15) {
        actions.PlayTune();
        bits -= NotifyTune;
    }
    if (bits > 7) {
        actions.ShowPostmanMailbox();
        bits -= NotifyPostman;
    }
    if (bits >= 4) {
        actions.LaunchMailClient(entry.MailClient, entry.MailClientFile);
        result = 1;
        bits -= NotifyMailClient;
    }
    if (bits >= 2) {
        actions.PlayAviClip(entry.AviFile);
        bits -= NotifyAviClip;
    }
    if (bits == 1)
        actions.PlayWave(entry.WaveFile);
    return result;
}
