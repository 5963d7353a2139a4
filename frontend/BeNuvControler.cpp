#include "BeNuvControler.h"

#include <string>

#include "BeNuvLooper.h"
#include "BeNuvModePalette.h"
#include "BeNuvResources.h"
#include "BeNuvTextPalette.h"
#include "NuvContract.h"
#include "NuvEntry.h"


namespace {

const int32_t kEscapeKey = 0x01;
const int32_t kJKey = 0x42;
const int32_t kEnterKey = 0x47;
const int32_t kKeypadEnterKey = 0x5B;


void
QuitWindow(BWindow* window)
{
	if (window->Lock())
		window->Quit();
}

}	// namespace


BeNuvControler::BeNuvControler(BeNuvLooper* looper)
	:
	fLooper(looper),
	fModePalette(NULL),
	fCandidatesPalette(NULL),
	fRegistrationPalette(NULL),
	fPurgePalette(NULL),
	fLastCaret(0, 0, 0, 0)
{
	fModePalette = new BeNuvModePalette();
	fModePalette->Run();
	fCandidatesPalette = new BeNuvTextPalette(
		NuvContract::kCandidatesPaletteTitle);
	fCandidatesPalette->Run();
	fRegistrationPalette = new BeNuvTextPalette(
		NuvContract::kRegistrationPaletteTitle);
	fRegistrationPalette->Run();
	fPurgePalette = new BeNuvTextPalette(NuvContract::kPurgePaletteTitle);
	fPurgePalette->Run();

	AddPalette(fCandidatesPalette);
	AddPalette(fPurgePalette);
	AddPalette(fRegistrationPalette);

	// Pushes the hiragana state, whose activation waits for the resources.
	State();
}


BeNuvControler::~BeNuvControler()
{
	QuitWindow(fModePalette);
	QuitWindow(fCandidatesPalette);
	QuitWindow(fRegistrationPalette);
	QuitWindow(fPurgePalette);
	fPalettes.clear();
}


void
BeNuvControler::MethodActivated(bool active)
{
	if (!fModePalette->Lock())
		return;
	if (active && fModePalette->IsHidden())
		fModePalette->Show();
	else if (!active && !fModePalette->IsHidden())
		fModePalette->Hide();
	fModePalette->Unlock();
}


// #pragma mark - Keys


bool
BeNuvControler::IsKey(nuv_input input, nuv_key key)
{
	switch (key) {
		case KEY_CANCEL:
			if (input.key_code == kEscapeKey)
				return true;
			break;
		case KEY_CONFIRM:
		case KEY_KANA:
			return input == nuv_input(0x0A, kJKey);
		case KEY_ENTER:
			if (input.key_code == kEnterKey
				|| input.key_code == kKeypadEnterKey)
				return true;
			break;
		default:
			break;
	}
	return NuvControler::IsKey(input, key);
}


// #pragma mark - Hooks


void
BeNuvControler::SetMode(nuv_mode mode)
{
	fModePalette->SetMode(mode);
}


void
BeNuvControler::ShowCandidates(const nuv_candidate* first,
	const nuv_candidate* last, int remaining)
{
	std::vector<std::string> words;
	for (const nuv_candidate* candidate = first; candidate != last;
			candidate++)
		words.push_back(candidate->candidate);
	fCandidatesPalette->SetText(std::vector<std::string>(1,
		NuvCandidatePage::Format(words, remaining, NuvCandidatePage::EUC_JP)));
	ShowPalette(fCandidatesPalette);
}


void
BeNuvControler::HideCandidates()
{
	HidePalette(fCandidatesPalette);
}


void
BeNuvControler::ShowRegisters(const nuv_candidate* first,
	const nuv_candidate* last)
{
	std::vector<std::string> lines;
	for (const nuv_candidate* record = first; record != last; record++) {
		std::string line = "registering \"";
		line += record->reading;
		if (!record->okuri.empty()) {
			line += '*';
			line += record->okuri;
		}
		line += '"';
		lines.push_back(line);
	}
	fRegistrationPalette->SetText(lines);
	ShowPalette(fRegistrationPalette);
}


void
BeNuvControler::HideRegisters()
{
	HidePalette(fRegistrationPalette);
}


void
BeNuvControler::ShowPurge(const nuv_candidate& candidate)
{
	std::string line = "Really purge\"";
	line += candidate.reading;
	line += candidate.okuri;
	line += " /";
	line += candidate.candidate;
	line += "/\"? (y/n)";
	fPurgePalette->SetText(std::vector<std::string>(1, line));
	ShowPalette(fPurgePalette);
}


void
BeNuvControler::HidePurge()
{
	HidePalette(fPurgePalette);
}


NuvInteractiveConverter*
BeNuvControler::Converter(nuv_mode mode)
{
	return fLooper->Resources()->Converter(mode);
}


void
BeNuvControler::FindCandidates(const nuv_candidate& query,
	NuvCandidateList& out)
{
	// Learned words first; the large dictionary's are read in place, so a
	// reading with a huge list costs one pass over it.
	BeNuvResources* resources = fLooper->Resources();
	resources->Dictionary()->FindCandidates(query,
		resources->UserDictionary()->FindEntry(query), out);
}


void
BeNuvControler::InsertCandidate(const nuv_candidate& candidate)
{
	fLooper->Resources()->UserDictionary()->InsertCandidate(candidate);
}


void
BeNuvControler::RemoveCandidate(const nuv_candidate& candidate)
{
	fLooper->Resources()->UserDictionary()->RemoveCandidate(candidate);
}


// #pragma mark - Palettes


void
BeNuvControler::AddPalette(BeNuvTextPalette* palette)
{
	fPalettes.push_back(palette);
}


void
BeNuvControler::ShowPalette(BeNuvTextPalette* palette)
{
	RelocatePalettes(palette, true);
}


void
BeNuvControler::HidePalette(BeNuvTextPalette* palette)
{
	RelocatePalettes(palette, false);
}


void
BeNuvControler::RelocatePalettes(BeNuvTextPalette* palette, bool show)
{
	BRect target = _CaretRect();
	for (BeNuvTextPalette* other : fPalettes) {
		if (!other->Lock())
			continue;
		const bool hidden = other->IsHidden();
		if (other == palette ? show : !hidden) {
			other->SetTargetFrame(target);
			target = target | other->Frame();
		}
		if (other == palette) {
			if (hidden && show)
				other->Show();
			else if (!hidden && !show)
				other->Hide();
		}
		other->Unlock();
	}
}


BRect
BeNuvControler::_CaretRect()
{
	// Until the application has answered a location request there is no
	// caret to read; the palettes then stand where the last caret was.
	if (fLooper->CountTargetLocations() > 0) {
		const BPoint where = fLooper->TargetLocation(0);
		const float height = fLooper->TargetHeight(0);
		fLastCaret = BRect(where.x, where.y, where.x, where.y + height);
	}
	return fLastCaret;
}
