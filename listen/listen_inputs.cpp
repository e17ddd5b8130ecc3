// The listening window's inputs: the capture devices the sound server lists, the one chosen and
// its channel, and what the window says about the input.
#include "listen_window.h"

#include "listen/listener.h"

#include <QComboBox>
#include <QLabel>
#include <algorithm>

namespace {

QString channelName(int channel, int channels) {
    if (channels == 2)
        return channel == 0 ? QStringLiteral("Left") : QStringLiteral("Right");
    return QStringLiteral("Channel %1").arg(channel + 1);
}

} // namespace

void ListenWindow::listInputs() {
    const unsigned changes = listener_ ? listener_->deviceChanges() : 0;
    if (changes == listedChanges_)
        return;
    listedChanges_ = changes;
    const SoundServer::Devices devices = listener_ ? listener_->devices() : SoundServer::Devices{};
    // A kept input that is not there when the server first lists its inputs is gone: the
    // default is heard. One that goes away later is waited for.
    const bool firstList = devices.connected && cboInput->property("listed").isNull();
    if (firstList) {
        cboInput->setProperty("listed", true);
        const bool there =
            std::any_of(devices.inputs.begin(), devices.inputs.end(),
                        [&](const SoundServer::Input& i) { return i.name == choices_.input; });
        if (!there && !choices_.input.isEmpty()) {
            choices_.input.clear();
            choices_.channel = Microphone::kAllChannels;
        }
    }
    QString defaultName;
    for (const SoundServer::Input& input : devices.inputs)
        if (input.name == devices.defaultInput)
            defaultName = input.description;
    const QSignalBlocker quiet(cboInput);
    cboInput->clear();
    cboInput->addItem(defaultName.isEmpty() ? QStringLiteral("Default")
                                            : QStringLiteral("Default (%1)").arg(defaultName),
                      QByteArray());
    for (const SoundServer::Input& input : devices.inputs)
        cboInput->addItem(input.description, input.name);
    int chosen = cboInput->findData(choices_.input);
    if (chosen < 0) { // gone: kept in the list, and waited for
        cboInput->addItem(QString::fromUtf8(choices_.input) + QStringLiteral(" (not there)"),
                          choices_.input);
        chosen = cboInput->count() - 1;
    }
    cboInput->setCurrentIndex(chosen);
    channelsOfInputs_.clear();
    for (const SoundServer::Input& input : devices.inputs)
        channelsOfInputs_[input.name] = input.channels;
    channelsOfInputs_[QByteArray()] = channelsOfInputs_.value(devices.defaultInput, 1);
    listChannels();
    if (firstList && listener_)
        chooseInput();
}

void ListenWindow::listChannels() {
    const int channels = channelsOfInputs_.value(choices_.input, 1);
    const QSignalBlocker quiet(cboChannel);
    cboChannel->clear();
    cboChannel->addItem(QStringLiteral("All, mixed"), Microphone::kAllChannels);
    for (int c = 0; c < channels; ++c)
        cboChannel->addItem(channelName(c, channels), c);
    cboChannel->setCurrentIndex(std::max(0, cboChannel->findData(choices_.channel)));
    cboChannel->setVisible(channels > 1);
}

void ListenWindow::chooseInput() {
    choices_.input = cboInput->currentData().toByteArray();
    choices_.channel = cboChannel->currentData().toInt(); // kept where the new input has it
    listChannels();
    choices_.channel = cboChannel->currentData().toInt();
    if (listener_)
        listener_->chooseInput(choices_.input, choices_.channel);
    shownNeedle_.reset();
    keepChoices();
}

void ListenWindow::showMicrophone(Microphone::State state) {
    QString problem = Microphone::describe(state);
    const bool missing = !choices_.input.isEmpty() && !channelsOfInputs_.contains(choices_.input) &&
                         cboInput->property("listed").isValid();
    if (missing)
        problem = QStringLiteral("The input “%1” is not there. Waiting for it to come back; or "
                                 "choose another input.")
                      .arg(cboInput->currentText().remove(QStringLiteral(" (not there)")));
    if (lblMicrophone->text() != problem)
        lblMicrophone->setText(problem);
    lblMicrophone->setVisible(!problem.isEmpty());
}
