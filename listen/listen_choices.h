#pragma once
// What the user chose in the listening window, kept per user (in the XDG config folder) so that
// the next start opens as they left it.

#include <QByteArray>
#include <QString>
#include <optional>

struct ListenChoices {
    QString instrument; // its folder's name; empty: any note
    QByteArray input;   // the server's name for it; empty: the default
    int channel = -1;   // counted from 0; -1: all mixed
    std::optional<double> a4;
};

ListenChoices loadListenChoices();
void saveListenChoices(const ListenChoices& choices);
