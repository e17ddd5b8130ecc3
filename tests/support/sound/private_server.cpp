#include "private_server.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QTest>
#include <csignal>
#include <sys/prctl.h>

using namespace Qt::StringLiterals;

PrivateServer::PrivateServer() {
    QDir(dir_.path()).mkdir(u"runtime"_s);
    QFile::setPermissions(dir_.path() + u"/runtime"_s,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"HOME"_s, dir_.path());
    environment.insert(u"XDG_RUNTIME_DIR"_s, dir_.path() + u"/runtime"_s);
    environment.remove(u"PULSE_SERVER"_s);
    process_.setProcessEnvironment(environment);
    process_.setProgram(u"pulseaudio"_s);
    process_.setArguments(
        {u"--daemonize=no"_s, u"--exit-idle-time=-1"_s, u"--system=false"_s, u"--disallow-exit"_s,
         u"-n"_s, u"--load=module-native-protocol-unix socket="_s + dir_.path() + u"/socket"_s,
         u"--log-target=file:"_s + dir_.path() + u"/log"_s});
    // The server ends with the test, however the test ends.
    process_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(QProcess::nullDevice());
    start();
}

PrivateServer::~PrivateServer() {
    stop();
}

bool PrivateServer::start() {
    process_.start();
    return process_.waitForStarted(20000) &&
           QTest::qWaitFor([this] { return !running() || !pactl({u"info"_s}).isEmpty(); }, 20000) &&
           running();
}

void PrivateServer::stop() {
    if (!running())
        return;
    process_.terminate();
    if (!process_.waitForFinished(20000)) {
        process_.kill();
        process_.waitForFinished(20000);
    }
}

QString PrivateServer::pactl(const QStringList& args) const {
    QProcess p;
    p.start(u"pactl"_s, QStringList{u"-s"_s, QFile::decodeName(address())} + args);
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

QString PrivateServer::addSink(const QString& name, int channels) const {
    return pactl({u"load-module"_s, u"module-null-sink"_s, u"sink_name="_s + name,
                  u"channels="_s + QString::number(channels)});
}
