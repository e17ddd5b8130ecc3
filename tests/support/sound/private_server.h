#pragma once
// A PulseAudio server of a test's own, in a temporary folder, started bare (no device at all):
// the test adds and removes its devices, and stops and starts it again. It ends with the test,
// even one that is killed.

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class PrivateServer {
  public:
    PrivateServer(); // started; running() says whether it could be
    ~PrivateServer();
    PrivateServer(const PrivateServer&) = delete;
    PrivateServer& operator=(const PrivateServer&) = delete;

    bool running() const { return process_.state() == QProcess::Running; }
    // What PULSE_SERVER names it by.
    QByteArray address() const { return QFile::encodeName(u"unix:" + dir_.path() + u"/socket"); }
    void stop();
    // Starts it again; whether it answers.
    bool start();
    // pactl's output, trimmed.
    QString pactl(const QStringList& args) const;
    // A null sink of that name: an output, and its monitor an input. Returns its module.
    QString addSink(const QString& name, int channels = 2) const;
    void remove(const QString& module) const { pactl({QStringLiteral("unload-module"), module}); }

  private:
    QTemporaryDir dir_;
    QProcess process_;
};
