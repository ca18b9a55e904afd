#pragma once
// The reminder window's sound: one file played once. Tests put a recorder in
// place of the Qt Multimedia player.
#include <QObject>
#include <QString>

#include <memory>

class QAudioOutput;
class QMediaPlayer;

class ReminderSoundPlayer {
public:
    virtual ~ReminderSoundPlayer() = default;
    // Starts playing `path` (a readable file); a failure on the way is logged
    // and nothing is heard.
    virtual void Play(const QString& path) = 0;
    virtual void Stop() = 0;
};

// Qt Multimedia: the file is played once it has loaded; a file without a
// decoder or a machine without an audio device gives a run-log line.
class MediaSoundPlayer : public QObject, public ReminderSoundPlayer {
    Q_OBJECT
public:
    MediaSoundPlayer();
    ~MediaSoundPlayer() override;
    void Play(const QString& path) override;
    void Stop() override;

private:
    std::unique_ptr<QAudioOutput> m_output;
    std::unique_ptr<QMediaPlayer> m_player;
    QString m_path;
};
