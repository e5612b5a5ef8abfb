#include "presence/presencedirectory.h"

#include "common/ansicodec.h"
#include "common/errors.h"
#include "common/hostcontext.h"
#include "settings/stringtable.h"
#include "transport/datagramframe.h"
#include "transport/datagramnetwork.h"
#include "transport/slotwriter.h"
#include "transport/sourceanswer.h"

#include <QPushButton>
#include <QTimer>

namespace corvane {

PresenceDirectory::PresenceDirectory(const PresenceControls& controls, const PresenceState& state,
                                     HostContext& context, const GroupDirectory& groups,
                                     QObject* parent)
    : QObject(parent), c_(controls), slot_(controls.IcqSlot), state_(state), context_(context),
      tree_(groups), protocol_(
                         context, tree_, *controls.RxTimerEvent1, state.onlineFlag, controls.alias,
                         [this](const QString& target, const QByteArray& text, bool request) {
                             return SendPresence(target, text, request);
                         },
                         this),
      view_(controls.tree, tree_, context, state.language, state.firstTreeOpen,
            controls.memo1Change, this) {
    protocol_.SetRecipientHolder(&view_);
    if (context_.datagrams) {
        writer_ = new SlotWriter(*context_.datagrams, this);
        answerer_ = new SourceAnswer(*context_.datagrams, this);
        protocol_.SetAnswerSender(
            [this](const QString& named, const QHostAddress& source, const QByteArray& text) {
                if (slot_)
                    answerer_->Answer(named, source, slot_->Slot(), {text});
            });
    }
    // Names of the tree's computers keep their learned addresses, whatever
    // else the network makes this computer learn.
    context_.resolver.SetKeep([this](const QString& name) { return tree_.HasComputer(name); });
    slot_->OnOpen = [this](TmdCustomMailSlot*) {
        RunHandler(context_, [this] { protocol_.IcqSlotOpen(); });
    };
    slot_->OnMessageAvail = [this](TmdCustomMailSlot* slot, const QByteArray& msg) {
        const DatagramOrigin origin = slot->CurrentOrigin();
        RunHandler(context_, [this, &msg, &origin] {
            protocol_.IcqSlotMessageAvail(msg, origin.sender, origin.address);
        });
    };
    // Computers on other networks: a newcomer is asked back at once, and the
    // list is asked again each round.
    connect(&protocol_, &PresenceProtocol::RequestHeard, this, &PresenceDirectory::AskBack);
    connect(&protocol_, &PresenceProtocol::RoundStarted, this, [this] {
        if (context_.datagrams)
            context_.datagrams->Others().NewRound();
    });
    connect(c_.Toggle1, &QPushButton::clicked, this, &PresenceDirectory::Toggle1Click);
    UpdateToggle1();
}

PresenceDirectory::~PresenceDirectory() {
    context_.resolver.SetKeep({});
    if (slot_) {
        slot_->OnOpen = nullptr;
        slot_->OnMessageAvail = nullptr;
    }
}

bool PresenceDirectory::SendPresence(const QString& target, const QByteArray& text, bool request) {
    // Requests, the toggle's announcements and the departure: to everybody.
    if (!writer_ || !slot_)
        return false;
    // A request also goes to the listed other networks, once a round.
    return writer_->Write(target, slot_->Slot(), text,
                          request ? DatagramNetwork::Reach::Request
                                  : DatagramNetwork::Reach::Peers);
}

void PresenceDirectory::AskBack(const QString& computer, const QHostAddress& from) {
    if (!context_.datagrams || !slot_ || !slot_->Active() ||
        !context_.datagrams->Others().Asked(from))
        return;
    const QByteArray request = WhoIsHereDatagram(context_.LocalComputerName());
    context_.datagrams->AskBack(computer, from, ToAnsi(slot_->Slot()),
                                FrameDatagram(request, TickCount()));
}

void PresenceDirectory::Toggle1Click() {
    protocol_.SetOnline(c_.Toggle1->isChecked());
    UpdateToggle1();
}

void PresenceDirectory::UpdateToggle1() {
    const bool on = c_.Toggle1->isChecked();
    c_.Toggle1->setText(state_.language.Text(on ? Strings::Online : Strings::Offline));
    QPalette palette = c_.Toggle1->palette();
    palette.setColor(QPalette::ButtonText, on ? OnlineCaption : OfflineCaption);
    c_.Toggle1->setPalette(palette);
}

} // namespace corvane
