// The fcitx5 input method "nuvim-null": takes every key press and does
// nothing with it, the floor against which the nuvim addon is measured
// (Fcitx5RoundTrip.cpp, Fcitx5KeyTime.cpp).
#include <fcitx/addonfactory.h>
#include <fcitx/addonmanager.h>
#include <fcitx/inputmethodengine.h>


namespace {

class NullEngine : public fcitx::InputMethodEngineV2 {
public:
	void keyEvent(const fcitx::InputMethodEntry&, fcitx::KeyEvent& event)
		override
	{
		if (!event.isRelease())
			event.filterAndAccept();
	}
};


class NullEngineFactory : public fcitx::AddonFactory {
public:
	fcitx::AddonInstance* create(fcitx::AddonManager*) override
	{
		return new NullEngine;
	}
};

}	// namespace


FCITX_ADDON_FACTORY(NullEngineFactory);
