#include "core/drive/Session.h"

#include <array>

namespace kelm {

namespace {

// How one field changes: kept, set or cleared.
enum class Set : std::uint8_t { Keep, On, Off };

struct Row {
    SessionEvent Event;
    Set Online;
    Set UnitInUse;
    Set Transfer;
    Set Overview;
    Set Scope;
    bool Advances;
};

// The transitions. Every event that changes what the line reaches, or what the table
// holds, voids the requests asked before it.
constexpr std::array<Row, 14> Transitions{{
    // event                           online          unit      transfer  overview  scope
    {SessionEvent::SelectionStarted, Set::Keep, Set::Keep, Set::Keep, Set::Keep, Set::Keep, true},
    {SessionEvent::Connected, Set::On, Set::On, Set::Keep, Set::Keep, Set::Keep, true},
    {SessionEvent::TableRead, Set::Keep, Set::Keep, Set::Off, Set::Keep, Set::Keep, true},
    {SessionEvent::TransferStarted, Set::Keep, Set::Keep, Set::On, Set::Keep, Set::Keep, false},
    {SessionEvent::TransferDone, Set::Keep, Set::Keep, Set::Off, Set::Keep, Set::Keep, false},
    {SessionEvent::TransferClosed, Set::Off, Set::Keep, Set::Off, Set::Keep, Set::Keep, true},
    {SessionEvent::TransferFailed, Set::Off, Set::Keep, Set::Off, Set::Keep, Set::Keep, true},
    {SessionEvent::LineLost, Set::Off, Set::Keep, Set::Keep, Set::Keep, Set::Keep, true},
    {SessionEvent::OverviewOpened, Set::Keep, Set::Keep, Set::Keep, Set::On, Set::Keep, true},
    {SessionEvent::UnitChosen, Set::On, Set::On, Set::Keep, Set::Off, Set::Keep, true},
    {SessionEvent::OverviewCancelled, Set::Keep, Set::Keep, Set::Keep, Set::Off, Set::Keep, true},
    {SessionEvent::KindChanged, Set::Off, Set::Off, Set::Off, Set::Keep, Set::Keep, true},
    {SessionEvent::ScopeOpened, Set::Keep, Set::Keep, Set::Keep, Set::Keep, Set::On, false},
    {SessionEvent::ScopeClosed, Set::Keep, Set::Keep, Set::Keep, Set::Keep, Set::Off, false},
}};

bool Apply(Set rule, bool value) {
    return rule == Set::Keep ? value : rule == Set::On;
}

} // namespace

SessionStep NextSessionState(const SessionState& state, SessionEvent event) {
    for (const Row& row : Transitions) {
        if (row.Event != event)
            continue;
        SessionState next;
        next.Online = Apply(row.Online, state.Online);
        next.UnitInUse = Apply(row.UnitInUse, state.UnitInUse);
        next.Transfer = Apply(row.Transfer, state.Transfer);
        next.Overview = Apply(row.Overview, state.Overview);
        next.Scope = Apply(row.Scope, state.Scope);
        return {next, row.Advances};
    }
    return {state, false};
}

void Session::On(SessionEvent event) {
    const LineTurns::Transition turn(line_);
    bool advances = false;
    {
        const std::lock_guard lock(mutex_);
        const SessionStep step = NextSessionState(state_, event);
        state_ = step.State;
        online_.store(state_.Online);
        advances = step.Advances;
    }
    if (advances)
        gate_.Advance();
}

void Session::Restore(const SessionState& state) {
    const LineTurns::Transition turn(line_);
    {
        const std::lock_guard lock(mutex_);
        state_ = state;
        online_.store(state_.Online);
    }
    gate_.Advance();
}

SessionState Session::State() const {
    const std::lock_guard lock(mutex_);
    return state_;
}

} // namespace kelm
