#include "core/notification.h"

std::string BalloonText(const NewMailNews& news) {
    if (news.count > 1)
        return "새 메일 " + std::to_string(news.count) + "통\n" + news.sender + " 외";
    return news.sender + "\n" + news.subject;
}

int NotifyNewMail(const ServerEntry& entry, const NewMailNews& news, CNotifyActions& actions) {
    // Each action answers to its own bit only: a bit no action knows (a
    // damaged value, or one written by a later version) starts nothing.
    const int bits = entry.Notify;
    int result = 0;
    if (bits & NotifyBalloon)
        actions.ShowBalloon(entry.Name, BalloonText(news));
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
