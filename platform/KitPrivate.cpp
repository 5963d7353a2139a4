#include "KitPrivate.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "Looper.h"
#include "Message.h"
#include "Messenger.h"

namespace BPrivate {

LooperCore::LooperCore()
	: looper(NULL), token(-1), owner(-1), lockCount(0), capacity(1),
	  portCount(0), thread(-1), running(false), dispatching(false),
	  quitting(false), dead(false)
{
}


KitState::KitState()
	: nextToken(1), nextSerial(1), screenWidth(1024), screenHeight(768),
	  changeCount(0), changeHook(NULL), changeCookie(NULL),
	  hasTextSizes(false), nextTeam(1000), inputServer(NULL)
{
}


KitState&
Kit()
{
	static KitState* state = new KitState;
	return *state;
}


std::mutex&
KitLock()
{
	return Kit().lock;
}


// #pragma mark - Loopers


void
RegisterLooperLocked(const std::shared_ptr<LooperCore>& core)
{
	KitState& kit = Kit();
	core->token = kit.nextToken++;
	kit.loopers[core->looper] = core;
	kit.tokens[core->token] = core;
}


void
UnregisterLooperLocked(const LooperCore* core)
{
	KitState& kit = Kit();
	std::map<int32, std::shared_ptr<LooperCore> >::iterator found
		= kit.tokens.find(core->token);
	if (found == kit.tokens.end())
		return;
	for (auto entry = kit.loopers.begin(); entry != kit.loopers.end(); ++entry) {
		if (entry->second.get() == core) {
			kit.loopers.erase(entry);
			break;
		}
	}
	kit.tokens.erase(found);
}


std::shared_ptr<LooperCore>
FindLooperLocked(const BLooper* looper)
{
	KitState& kit = Kit();
	std::map<const BLooper*, std::shared_ptr<LooperCore> >::iterator found
		= kit.loopers.find(looper);
	return found != kit.loopers.end() ? found->second : NULL;
}


std::shared_ptr<LooperCore>
FindLooperLocked(int32 token)
{
	KitState& kit = Kit();
	std::map<int32, std::shared_ptr<LooperCore> >::iterator found
		= kit.tokens.find(token);
	return found != kit.tokens.end() ? found->second : NULL;
}


status_t
EnqueueLocked(LooperCore& core, BMessage* message, BHandler* target,
	bool ignoreCapacity)
{
	if (core.dead || core.quitting)
		return B_BAD_VALUE;
	if (!ignoreCapacity) {
		if (core.portCount >= core.capacity)
			return B_WOULD_BLOCK;
		core.portCount++;
	}
	core.queue.push_back(QueuedMessage{message, target, false});
	core.changed.notify_all();
	return B_OK;
}


status_t
AcquireLocked(std::unique_lock<std::mutex>& lock, LooperCore& core,
	thread_id self, bigtime_t timeout)
{
	if (core.dead)
		return B_BAD_VALUE;
	if (core.owner == self) {
		core.lockCount++;
		return B_OK;
	}

	auto available = [&core] { return core.dead || core.owner < 0; };
	if (timeout == B_INFINITE_TIMEOUT)
		core.changed.wait(lock, available);
	else if (!core.changed.wait_for(lock,
			std::chrono::microseconds(timeout > 0 ? timeout : 0), available))
		return B_TIMED_OUT;
	if (core.dead)
		return B_BAD_VALUE;

	core.owner = self;
	core.lockCount = 1;
	return B_OK;
}


void
NotifyIdleLocked()
{
	Kit().idle.notify_all();
}


// #pragma mark - Windows


void
RegisterWindow(BWindow* window, const std::shared_ptr<LooperCore>& core)
{
	KitState& kit = Kit();
	std::lock_guard<std::mutex> lock(kit.lock);
	kit.windows.push_back(WindowEntry{kit.nextSerial++, window, core});
}


void
UnregisterWindow(BWindow* window)
{
	KitState& kit = Kit();
	std::lock_guard<std::mutex> lock(kit.lock);
	for (size_t i = 0; i < kit.windows.size(); i++) {
		if (kit.windows[i].window == window) {
			kit.windows.erase(kit.windows.begin() + i);
			return;
		}
	}
}


BRect
ScreenFrameLocked()
{
	KitState& kit = Kit();
	return BRect(0, 0, kit.screenWidth - 1, kit.screenHeight - 1);
}


void
DisplayChanged()
{
	KitState& kit = Kit();
	void (*hook)(void*);
	void* cookie;
	{
		std::lock_guard<std::mutex> lock(kit.changeLock);
		kit.changeCount++;
		hook = kit.changeHook;
		cookie = kit.changeCookie;
		kit.changed.notify_all();
	}
	if (hook != NULL)
		hook(cookie);
}


// #pragma mark - Text metrics


namespace {

// Decodes the UTF-8 character at text[*index] and advances *index; a byte
// that starts no valid character stands for itself (and counts narrow).
uint32
NextCodePoint(const char* text, size_t length, size_t* index)
{
	const uint8* bytes = reinterpret_cast<const uint8*>(text);
	uint8 lead = bytes[*index];
	size_t count = lead < 0x80 ? 1 : lead >= 0xF0 && lead <= 0xF4 ? 4
		: lead >= 0xE0 ? 3 : lead >= 0xC2 && lead <= 0xDF ? 2 : 0;
	if (count == 0 || *index + count > length) {
		(*index)++;
		return lead < 0x80 ? lead : 0;
	}
	uint32 codePoint = count == 1 ? lead
		: lead & (count == 2 ? 0x1F : count == 3 ? 0x0F : 0x07);
	for (size_t i = 1; i < count; i++) {
		uint8 next = bytes[*index + i];
		if ((next & 0xC0) != 0x80) {
			(*index)++;
			return 0;
		}
		codePoint = (codePoint << 6) | (next & 0x3F);
	}
	*index += count;
	return codePoint;
}


bool
IsWide(uint32 codePoint)
{
	if (codePoint < 0x1100)
		return false;
	if ((codePoint >= 0xFF61 && codePoint <= 0xFFDC)
		|| (codePoint >= 0xFFE8 && codePoint <= 0xFFEE))
		return false;
	return true;
}

}	// namespace


float
TextWidth(float size, bool bold, const char* text, size_t length)
{
	float narrow = std::round(size * 0.7f) + (bold ? 1 : 0);
	float width = 0;
	for (size_t index = 0; index < length && text[index] != '\0'; ) {
		uint32 codePoint = NextCodePoint(text, length, &index);
		width += IsWide(codePoint) ? 2 * narrow : narrow;
	}
	return width;
}


bool
TextSizeOverride(const char* text, float* width, float* lineHeight)
{
	KitState& kit = Kit();
	if (!kit.hasTextSizes.load() || text == NULL)
		return false;
	std::lock_guard<std::mutex> lock(kit.settingsLock);
	auto found = kit.textSizes.find(text);
	if (found == kit.textSizes.end())
		return false;
	if (width != NULL)
		*width = found->second.first;
	if (lineHeight != NULL)
		*lineHeight = found->second.second;
	return true;
}


// #pragma mark - Directories, roster


std::string
DirectoryPath(int32 which, bool* known)
{
	KitState& kit = Kit();
	{
		std::lock_guard<std::mutex> lock(kit.settingsLock);
		auto found = kit.directories.find(which);
		if (found != kit.directories.end()) {
			*known = true;
			return found->second;
		}
	}

	*known = true;
	switch (which) {
		case B_USER_DIRECTORY:
			return "/boot/home";
		case B_USER_CONFIG_DIRECTORY:
			return "/boot/home/config";
		case B_USER_ADDONS_DIRECTORY:
			return "/boot/home/config/add-ons";
		case B_USER_BOOT_DIRECTORY:
			return "/boot/home/config/boot";
		case B_USER_FONTS_DIRECTORY:
			return "/boot/home/config/fonts";
		case B_USER_LIB_DIRECTORY:
			return "/boot/home/config/lib";
		case B_USER_SETTINGS_DIRECTORY:
			return "/boot/home/config/settings";
		case B_USER_DESKBAR_DIRECTORY:
			return "/boot/home/config/be";
	}
	*known = false;
	return std::string();
}


team_id
RecordLaunch(const char* signature, int argc, const char* const* arguments)
{
	KitState& kit = Kit();
	headless_launch_info launch;
	launch.signature = signature;
	for (int i = 0; i < argc; i++)
		launch.arguments.push_back(arguments[i] != NULL ? arguments[i] : "");
	std::lock_guard<std::mutex> lock(kit.settingsLock);
	launch.team = kit.nextTeam++;
	kit.launches.push_back(launch);
	return launch.team;
}


// #pragma mark - Messages


namespace {

std::string
TypeName(type_code type)
{
	switch (type) {
		case B_BOOL_TYPE: return "bool";
		case B_INT8_TYPE: return "int8";
		case B_UINT8_TYPE: return "uint8";
		case B_INT16_TYPE: return "int16";
		case B_UINT16_TYPE: return "uint16";
		case B_INT32_TYPE: return "int32";
		case B_UINT32_TYPE: return "uint32";
		case B_INT64_TYPE: return "int64";
		case B_UINT64_TYPE: return "uint64";
		case B_FLOAT_TYPE: return "float";
		case B_DOUBLE_TYPE: return "double";
		case B_STRING_TYPE: return "string";
		case B_POINT_TYPE: return "BPoint";
		case B_RECT_TYPE: return "BRect";
		case B_MESSENGER_TYPE: return "BMessenger";
		case B_POINTER_TYPE: return "pointer";
		case B_MESSAGE_TYPE: return "BMessage";
	}
	char code[5] = {(char)(type >> 24), (char)(type >> 16), (char)(type >> 8),
		(char)type, 0};
	return std::string("'") + code + "'";
}


std::string
FourCharacters(uint32 what)
{
	std::string text;
	for (int shift = 24; shift >= 0; shift -= 8) {
		char c = (char)(what >> shift);
		if (c < 0x20 || c > 0x7E)
			return std::string();
		text += c;
	}
	return text;
}


template<typename T>
T
ItemValue(const void* data)
{
	T value;
	memcpy(&value, data, sizeof(T));
	return value;
}


std::string
DescribeItem(type_code type, const void* data, ssize_t size)
{
	char buffer[128];
	switch (type) {
		case B_BOOL_TYPE:
			return ItemValue<bool>(data) ? "true" : "false";
		case B_INT8_TYPE:
			snprintf(buffer, sizeof(buffer), "%d", ItemValue<int8>(data));
			return buffer;
		case B_UINT8_TYPE:
			snprintf(buffer, sizeof(buffer), "%u", ItemValue<uint8>(data));
			return buffer;
		case B_INT16_TYPE:
			snprintf(buffer, sizeof(buffer), "%d", ItemValue<int16>(data));
			return buffer;
		case B_UINT16_TYPE:
			snprintf(buffer, sizeof(buffer), "%u", ItemValue<uint16>(data));
			return buffer;
		case B_INT32_TYPE:
			snprintf(buffer, sizeof(buffer), "%d", (int)ItemValue<int32>(data));
			return buffer;
		case B_UINT32_TYPE:
			snprintf(buffer, sizeof(buffer), "%u",
				(unsigned)ItemValue<uint32>(data));
			return buffer;
		case B_INT64_TYPE:
			snprintf(buffer, sizeof(buffer), "%lld",
				(long long)ItemValue<int64>(data));
			return buffer;
		case B_UINT64_TYPE:
			snprintf(buffer, sizeof(buffer), "%llu",
				(unsigned long long)ItemValue<uint64>(data));
			return buffer;
		case B_FLOAT_TYPE:
			snprintf(buffer, sizeof(buffer), "%g", ItemValue<float>(data));
			return buffer;
		case B_DOUBLE_TYPE:
			snprintf(buffer, sizeof(buffer), "%g", ItemValue<double>(data));
			return buffer;
		case B_STRING_TYPE:
			return "\"" + std::string(static_cast<const char*>(data)) + "\"";
		case B_POINT_TYPE:
		{
			BPoint point = ItemValue<BPoint>(data);
			snprintf(buffer, sizeof(buffer), "(%g, %g)", point.x, point.y);
			return buffer;
		}
		case B_RECT_TYPE:
		{
			BRect rect = ItemValue<BRect>(data);
			snprintf(buffer, sizeof(buffer), "(%g, %g, %g, %g)", rect.left,
				rect.top, rect.right, rect.bottom);
			return buffer;
		}
		case B_MESSENGER_TYPE:
		{
			BMessenger messenger = ItemValue<BMessenger>(data);
			BLooper* looper = NULL;
			messenger.Target(&looper);
			if (looper == NULL)
				return "(no target)";
			return "(looper \"" + std::string(looper->Name()) + "\")";
		}
		default:
			snprintf(buffer, sizeof(buffer), "%ld bytes", (long)size);
			return buffer;
	}
}

}	// namespace


std::string
DescribeMessage(const BMessage& message)
{
	char header[64];
	std::string code = FourCharacters(message.what);
	if (code.empty())
		snprintf(header, sizeof(header), "BMessage(0x%08x) {\n",
			(unsigned)message.what);
	else
		snprintf(header, sizeof(header), "BMessage(0x%08x '%s') {\n",
			(unsigned)message.what, code.c_str());
	std::string text = header;

	const char* name;
	type_code type;
	int32 count;
	for (int32 field = 0; message.GetInfo(B_ANY_TYPE, field, &name, &type,
			&count) == B_OK; field++) {
		for (int32 index = 0; index < count; index++) {
			const void* data;
			ssize_t size;
			message.FindData(name, type, index, &data, &size);
			text += "\t";
			text += name;
			if (count > 1)
				text += "[" + std::to_string(index) + "]";
			text += " = " + TypeName(type) + " "
				+ DescribeItem(type, data, size) + "\n";
		}
	}
	text += "}\n";
	return text;
}


// Nested messages are kept flat: the code, then per field the name, type and
// items, each length-prefixed. Only the kit writes this form.
std::string
FlattenMessage(const BMessage& message)
{
	std::string flat;
	auto appendNumber = [&flat](uint32 value) {
		flat.append(reinterpret_cast<const char*>(&value), sizeof(value));
	};
	appendNumber(message.what);

	const char* name;
	type_code type;
	int32 count;
	for (int32 field = 0; message.GetInfo(B_ANY_TYPE, field, &name, &type,
			&count) == B_OK; field++) {
		appendNumber((uint32)strlen(name));
		flat += name;
		appendNumber(type);
		appendNumber((uint32)count);
		for (int32 index = 0; index < count; index++) {
			const void* data;
			ssize_t size;
			message.FindData(name, type, index, &data, &size);
			appendNumber((uint32)size);
			flat.append(static_cast<const char*>(data), (size_t)size);
		}
	}
	return flat;
}


bool
UnflattenMessage(const std::string& flat, BMessage* message)
{
	size_t position = 0;
	auto readNumber = [&flat, &position](uint32* value) {
		if (flat.size() - position < sizeof(*value))
			return false;
		memcpy(value, flat.data() + position, sizeof(*value));
		position += sizeof(*value);
		return true;
	};
	auto readBytes = [&flat, &position](uint32 length, std::string* bytes) {
		if (flat.size() - position < length)
			return false;
		bytes->assign(flat, position, length);
		position += length;
		return true;
	};

	uint32 what;
	if (!readNumber(&what))
		return false;
	message->what = what;
	while (position < flat.size()) {
		uint32 nameLength;
		std::string name;
		uint32 type;
		uint32 count;
		if (!readNumber(&nameLength) || !readBytes(nameLength, &name)
			|| !readNumber(&type) || !readNumber(&count))
			return false;
		for (uint32 index = 0; index < count; index++) {
			uint32 size;
			std::string item;
			if (!readNumber(&size) || !readBytes(size, &item))
				return false;
			message->AddData(name.c_str(), type, item.data(), item.size());
		}
	}
	return true;
}

}	// namespace BPrivate
