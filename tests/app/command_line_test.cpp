// The vault's command line, what a start decides from it, and hand-overs
// held until the start-up sequence has run.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include "app/hand_over_inbox.h"
#include "tests/app/app_fixture.h"
#include "tests/fakes/fake_instance_channel.h"

namespace zn::testing {
namespace {

using Request = CommandLine::Request;
using Arguments = std::vector<std::string>;

struct ParseCase {
    Arguments arguments;
    Request request;
    std::optional<HandOverAction> action;
    Arguments programArguments;
    Arguments toolkitArguments;
};

TEST(CommandLineParsing, ReadsOptionsPlainArgumentsAndTheToolkitsOwn) {
    const auto toggle = HandOverAction::Toggle;
    const auto capture = HandOverAction::Capture;
    const std::vector<ParseCase> cases = {
        {{}, Request::Start, std::nullopt, {}, {}},
        {{"/S"}, Request::Start, std::nullopt, {"/S"}, {}},
        {{"/s", "extra"}, Request::Start, std::nullopt, {"/s", "extra"}, {}},
        {{"--toggle"}, Request::Start, toggle, {}, {}},
        {{"--capture", "/S"}, Request::Start, capture, {"/S"}, {}},
        {{"--toggle", "--toggle"}, Request::Start, toggle, {}, {}},
        {{"--help"}, Request::Help, std::nullopt, {}, {}},
        {{"-h"}, Request::Help, std::nullopt, {}, {}},
        {{"--bogus", "--help"}, Request::Help, std::nullopt, {}, {}},
        {{"--version", "/S"}, Request::Version, std::nullopt, {}, {}},
        {{"--bogus"}, Request::UsageError, std::nullopt, {}, {}},
        {{"-x"}, Request::UsageError, std::nullopt, {}, {}},
        {{"--toggle", "--capture"}, Request::UsageError, std::nullopt, {}, {}},
        {{"-style"}, Request::UsageError, std::nullopt, {}, {}},
        {{"-", "--", "--toggle"}, Request::Start, std::nullopt, {"-", "--toggle"}, {}},
        {{"-session", "1a2b", "/S"}, Request::Start, std::nullopt, {"/S"}, {"-session", "1a2b"}},
        {{"--platform=xcb", "-reverse"},
         Request::Start,
         std::nullopt,
         {},
         {"--platform=xcb", "-reverse"}},
    };
    for (const ParseCase& each : cases) {
        std::string shown;
        for (const std::string& argument : each.arguments) shown += " " + argument;
        SCOPED_TRACE("znvault" + shown);
        const CommandLine line = parseCommandLine(each.arguments);
        EXPECT_EQ(line.request, each.request);
        EXPECT_EQ(line.action, each.action);
        EXPECT_EQ(line.programArguments, each.programArguments);
        EXPECT_EQ(line.toolkitArguments, each.toolkitArguments);
        EXPECT_EQ(line.usageError.empty(), each.request != Request::UsageError);
    }
}

TEST(CommandLineParsing, AnUnknownOptionIsNamedWithTheWayToHelp) {
    EXPECT_EQ(parseCommandLine({"--frob"}).usageError,
              "znvault: unknown option '--frob'\nTry 'znvault --help' for more information.\n");
}

TEST(StartDecisions, HelpVersionAndMistakesEndAtOnceWithoutTheLine) {
    FakeInstanceChannel channel;
    const StartDecision help = decideStart(parseCommandLine({"--help", "--toggle"}), channel);
    EXPECT_TRUE(help.exitNow);
    EXPECT_EQ(help.exitStatus, 0);
    for (const char* option : {"--toggle", "--capture", "--help", "--version"})
        EXPECT_NE(help.standardOutput.find(option), std::string::npos) << option;
    const StartDecision version = decideStart(parseCommandLine({"--version"}), channel);
    EXPECT_EQ(version.exitStatus, 0);
    EXPECT_EQ(version.standardOutput.rfind("znvault (Zintrel) ", 0), 0u);
    const StartDecision refused = decideStart(parseCommandLine({"--frob"}), channel);
    EXPECT_EQ(refused.exitStatus, 2);
    EXPECT_TRUE(refused.standardOutput.empty());
    EXPECT_FALSE(refused.standardError.empty());
    EXPECT_TRUE(channel.handedOver.empty());
}

// An action's start asks under the start lock and keeps it only when it is
// to start a copy itself, until that copy takes the line.
TEST(StartDecisions, AnActionGoesToTheRunningCopyOrIsCarriedOutAfterAStart) {
    struct Case {
        Arguments arguments;
        HandOverResult line;
        bool exitNow;
        int exitStatus;
        std::optional<HandOverAction> afterStartUp;
        bool keepsStartLock;
    };
    const std::vector<Case> cases = {
        {{"--toggle"}, HandOverResult::Delivered, true, 0, std::nullopt, false},
        {{"--capture"}, HandOverResult::Delivered, true, 0, std::nullopt, false},
        // A busy copy is not joined by a second one.
        {{"--capture"}, HandOverResult::NoAnswer, true, 1, std::nullopt, false},
        // The plain start shows the window, which is all the toggle asks.
        {{"--toggle"}, HandOverResult::NoCopy, false, 0, std::nullopt, true},
        {{"--capture"}, HandOverResult::NoCopy, false, 0, HandOverAction::Capture, true},
        // A plain second start runs beside the first and asks nothing of it.
        {{}, HandOverResult::Delivered, false, 0, std::nullopt, false},
    };
    for (const Case& each : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << (&each - cases.data()));
        FakeInstanceChannel channel;
        channel.result = each.line;
        const CommandLine line = parseCommandLine(each.arguments);
        const StartDecision decision = decideStart(line, channel);
        EXPECT_EQ(decision.exitNow, each.exitNow);
        EXPECT_EQ(decision.exitStatus, each.exitStatus);
        EXPECT_EQ(decision.standardError.empty(), each.exitStatus == 0);
        EXPECT_EQ(decision.actionAfterStartUp, each.afterStartUp);
        EXPECT_EQ(channel.handedOver.size(), line.action ? 1u : 0u);
        EXPECT_EQ(channel.lockedWhenHandedOver, std::vector<bool>(channel.handedOver.size(), true));
        EXPECT_EQ(decision.startLock != nullptr, each.keepsStartLock);
        EXPECT_EQ(channel.startLocked, each.keepsStartLock);
    }
}

class HandOvers : public AppFixture {
protected:
    // A run whose hand-overs reach the form as hotkey presses, through the inbox.
    void startWithInbox(Arguments arguments) {
        timers.pending.clear();
        form = std::make_unique<TForm1>(services(kProgramPath, std::move(arguments)), view);
        view.attach(*form);
        form->setStartedHandler([this] { inbox.open(); });
        form->FormCreate();
    }
    HandOverInbox inbox{[this](HandOverAction action) { form->WMHotkey(hotkeyIdOf(action)); }};
};

TEST_F(HandOvers, WaitForTheStartUpSequenceAndArriveInOrder) {
    storeVault({});
    startWithInbox({"/S"});
    inbox.receive(HandOverAction::Toggle);
    inbox.receive(HandOverAction::Toggle);
    inbox.receive(HandOverAction::Toggle);
    EXPECT_FALSE(view.visible);
    timers.fireNext();  // the start-up sequence
    EXPECT_TRUE(view.visible);
    EXPECT_EQ(view.panel, Panel::Lock);
    inbox.receive(HandOverAction::Toggle);
    EXPECT_FALSE(view.visible);
}

TEST_F(HandOvers, ArePassedOnEvenWhenTheStartUpSequenceFailed) {
    storeVault({});
    registry.failReads = true;
    startWithInbox({"/S"});
    inbox.receive(HandOverAction::Toggle);
    timers.fireNext();
    registry.failReads = false;
    EXPECT_TRUE(view.visible);
}

TEST(HandOverInboxLimits, AFloodBeforeStartUpKeepsOnlyTheFirstFew) {
    int delivered = 0;
    HandOverInbox inbox([&delivered](HandOverAction) { ++delivered; });
    for (std::size_t i = 0; i < 10 * HandOverInbox::kMostHeld; ++i)
        inbox.receive(HandOverAction::Capture);
    inbox.open();
    EXPECT_EQ(delivered, static_cast<int>(HandOverInbox::kMostHeld));
}

}  // namespace
}  // namespace zn::testing
