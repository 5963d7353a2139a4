// The time a key press spends inside fcitx5 with the nuvim addon, beside the
// do-nothing addon nuvim-null in the same instance (fcitx5's own floor), and
// the method's share of it: the same typing through a MethodSession of its
// own, handed over as the addon does, without fcitx5.
//
//	nuv_bench_fcitx5_keytime [KEYS]
//
// In fcitx5's process, with its test front end as the application: each
// press is InputContext::keyEvent from call to return, which covers fcitx5's
// dispatch, the addon and the method. Both addons get the same typing in
// alternating rounds, so that the load of the machine falls on both alike.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <fcitx-utils/event.h>
#include <fcitx-utils/log.h>
#include <fcitx-utils/testing.h>
#include <fcitx/addonmanager.h>
#include <fcitx/inputcontextmanager.h>
#include <fcitx/inputmethodgroup.h>
#include <fcitx/inputmethodmanager.h>
#include <fcitx/instance.h>
#include <testfrontend_public.h>

#include "DesktopKeys.h"
#include "MethodSession.h"
#include "Fcitx5Typing.h"


namespace {

void
TimeMethodAlone(size_t count, std::vector<double>& times)
{
	MethodSession session;
	std::string error;
	if (!session.Start(std::string(), error)) {
		fprintf(stderr, "the method did not start: %s\n", error.c_str());
		exit(1);
	}
	session.Activate(true);
	while (session.HasPendingWork())
		session.Poll(MethodSession::kDefaultWait);
	const std::vector<TypedKey> cycle = TypingCycle();
	for (size_t i = 0; i < count; i++) {
		const TypedKey& key = cycle[i % cycle.size()];
		KeyStep step;
		DesktopKeys::Translate(key.keysym, key.state, step);
		const uint64_t start = fcitx::now(CLOCK_MONOTONIC);
		session.HandleKey(step);
		while (session.HasPendingWork())
			session.Poll(MethodSession::kDefaultWait);
		times.push_back(fcitx::now(CLOCK_MONOTONIC) - start);
	}
	session.Unload();
}

}	// namespace


int
main(int argc, char** argv)
{
	const size_t keys = argc > 1 ? std::strtoul(argv[1], NULL, 10) : 20000;
	fcitx::setupTestingEnvironment(NUV_BUILD_BIN,
		{NUV_BUILD_BIN, NUV_BENCH_BIN}, {NUV_FCITX5_DATA, NUV_BENCH_DATA});
	std::vector<double> nuvimTimes;
	std::vector<double> floorTimes;
	{
	// No test panel printing every update, no log lines: neither belongs
	// to the time of a key.
	fcitx::Log::setLogRule("*=1");
	char name[] = "nuv_bench_fcitx5_keytime";
	char disable[] = "--disable=all";
	char enable[] = "--enable=testfrontend,nuvim,nuvim-null";
	char* arguments[] = {name, disable, enable};
	fcitx::Instance instance(3, arguments);
	instance.addonManager().registerDefaultLoader(nullptr);
	auto run = instance.eventLoop().addDeferEvent([&](fcitx::EventSource*) {
		fcitx::InputMethodGroup group
			= instance.inputMethodManager().currentGroup();
		group.inputMethodList().clear();
		group.inputMethodList().push_back(
			fcitx::InputMethodGroupItem("nuvim-null"));
		group.inputMethodList().push_back(
			fcitx::InputMethodGroupItem("nuvim"));
		group.setDefaultInputMethod("");
		instance.inputMethodManager().setGroup(group);
		auto* frontend = instance.addonManager().addon("testfrontend");
		fcitx::InputContext* context = instance.inputContextManager()
			.findByUUID(frontend->call<
				fcitx::ITestFrontend::createInputContext>("bench"));
		context->setCapabilityFlags(fcitx::CapabilityFlag::Preedit);
		context->focusIn();

		const std::vector<TypedKey> cycle = TypingCycle();
		const size_t kRounds = 10;
		for (size_t round = 0; round <= kRounds; round++) {
			for (const char* engine : {"nuvim", "nuvim-null"}) {
				instance.setCurrentInputMethod(context, engine, true);
				std::vector<double>* times = std::string(engine) == "nuvim"
					? &nuvimTimes : &floorTimes;
				// Round 0 warms up (and lets the method load).
				const size_t count = round == 0 ? 200 : keys / kRounds;
				for (size_t i = 0; i < count; i++) {
					const TypedKey& typed = cycle[i % cycle.size()];
					const fcitx::Key key(
						static_cast<fcitx::KeySym>(typed.keysym),
						fcitx::KeyStates(typed.state));
					fcitx::KeyEvent press(context, key);
					const uint64_t start = fcitx::now(CLOCK_MONOTONIC);
					context->keyEvent(press);
					const uint64_t end = fcitx::now(CLOCK_MONOTONIC);
					fcitx::KeyEvent release(context, key, true);
					context->keyEvent(release);
					if (round > 0)
						times->push_back(end - start);
				}
			}
		}
		instance.exit();
		return true;
	});
	instance.exec();
	}

	// The addon has been unloaded with the instance: one method at a time.
	std::vector<double> methodTimes;
	TimeMethodAlone(nuvimTimes.size(), methodTimes);

	const double addon = Percentile(nuvimTimes, 0.5);
	const double floor = Percentile(floorTimes, 0.5);
	const double method = Percentile(methodTimes, 0.5);
	printf("time of a key press inside fcitx5, µs (%zu presses each)\n",
		nuvimTimes.size());
	printf("  nuvim-null (fcitx5's floor): median %.1f  p99 %.1f\n", floor,
		Percentile(floorTimes, 0.99));
	printf("  nuvim: median %.1f  p99 %.1f\n", addon,
		Percentile(nuvimTimes, 0.99));
	printf("  the method through its session alone: median %.1f  p99 %.1f"
		" (%.0f %% of the addon's median)\n", method,
		Percentile(methodTimes, 0.99), 100.0 * method / addon);
	return 0;
}
