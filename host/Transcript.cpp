#include "Transcript.h"

#include <cmath>

#include <nlohmann/json.hpp>


namespace {

typedef nlohmann::ordered_json Json;


// Whole pixels as integers, fractions (a centred window at 451.5) as they are.
Json
Number(float value)
{
	if (std::isfinite(value) && std::floor(value) == value
		&& std::fabs(value) < 1e15)
		return Json(static_cast<int64_t>(value));
	return Json(static_cast<double>(value));
}


void
Write(std::ostream& out, const Json& record)
{
	// Replace rather than throw on bytes that are not UTF-8: the transcript
	// must report what the method sent, whatever it was.
	out << record.dump(-1, ' ', false, Json::error_handler_t::replace)
		<< '\n';
	out.flush();
}

}	// namespace


Transcript::Transcript(std::ostream& out)
	:
	fOut(out)
{
}


void
Transcript::Key(const std::string& token)
{
	Json record;
	record["key"] = token;
	Write(fOut, record);
}


void
Transcript::Im(const char* what)
{
	Json record;
	record["im"] = what;
	Write(fOut, record);
}


void
Transcript::Changed(const ChangedRecord& changed)
{
	Json record;
	record["im"] = "changed";
	record["string"] = changed.text;
	record["confirmed"] = changed.confirmed;
	if (changed.hasClause) {
		record["clause_start"] = changed.clauseStart;
		record["clause_end"] = changed.clauseEnd;
	}
	if (changed.hasSelection) {
		record["selection"] = Json::array(
			{changed.selectionStart, changed.selectionEnd});
	}
	Write(fOut, record);
}


void
Transcript::Passed(const std::string& bytes, int32_t key, int32_t modifiers)
{
	Json passed;
	passed["bytes"] = bytes;
	passed["key"] = key;
	passed["modifiers"] = modifiers;
	Json record;
	record["passed"] = passed;
	Write(fOut, record);
}


void
Transcript::LocationReply(const std::vector<TextLocation>& locations)
{
	Json points = Json::array();
	Json heights = Json::array();
	for (const TextLocation& location : locations) {
		points.push_back(Json::array({Number(location.x),
			Number(location.y)}));
		heights.push_back(Number(location.height));
	}
	Json reply;
	reply["points"] = points;
	reply["heights"] = heights;
	Json record;
	record["location_reply"] = reply;
	Write(fOut, record);
}


void
Transcript::Menu(bool present, const std::vector<std::string>& labels)
{
	Json record;
	record["menu"] = present ? Json(labels) : Json(nullptr);
	Write(fOut, record);
}


void
Transcript::Launch(const std::string& signature,
	const std::vector<std::string>& args)
{
	Json launch;
	launch["signature"] = signature;
	launch["args"] = args;
	Json record;
	record["launch"] = launch;
	Write(fOut, record);
}


void
Transcript::Screen(const std::vector<WindowRecord>& windows)
{
	Json list = Json::array();
	for (const WindowRecord& window : windows) {
		Json item;
		item["title"] = window.title;
		item["visible"] = window.visible;
		item["frame"] = Json::array({Number(window.frame[0]),
			Number(window.frame[1]), Number(window.frame[2]),
			Number(window.frame[3])});
		item["lines"] = window.lines;
		list.push_back(item);
	}
	Json screen;
	screen["windows"] = list;
	Json record;
	record["screen"] = screen;
	Write(fOut, record);
}


void
Transcript::Text(const std::string& text)
{
	Json record;
	record["text"] = text;
	Write(fOut, record);
}


void
Transcript::Unloaded()
{
	Json record;
	record["unloaded"] = true;
	Write(fOut, record);
}
