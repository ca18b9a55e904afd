#include "gui/automation/reminder_sound.h"

#include "core/log.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

MediaSoundPlayer::MediaSoundPlayer()
    : m_output(std::make_unique<QAudioOutput>()), m_player(std::make_unique<QMediaPlayer>()) {
    m_player->setAudioOutput(m_output.get());
    connect(m_player.get(), &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) {
                if (status == QMediaPlayer::LoadedMedia &&
                    m_player->playbackState() != QMediaPlayer::PlayingState)
                    m_player->play();
                else if (status == QMediaPlayer::InvalidMedia)
                    LogWrite(g_logRun, "ERROR,CDlgTipWnd,sound cannot be played: " + LogEscape(m_path));
            });
    connect(m_player.get(), &QMediaPlayer::errorOccurred, this,
            [this](QMediaPlayer::Error, const QString& text) {
                LogWrite(g_logRun, "ERROR,CDlgTipWnd,sound cannot be played: " + LogEscape(m_path) + "," +
                                       LogEscape(text));
            });
}

MediaSoundPlayer::~MediaSoundPlayer() {
    m_player->stop();
}

void MediaSoundPlayer::Play(const QString& path) {
    m_path = path;
    m_player->stop();
    m_player->setSource(QUrl::fromLocalFile(path));
}

void MediaSoundPlayer::Stop() {
    m_player->stop();
    m_player->setSource(QUrl());
}
