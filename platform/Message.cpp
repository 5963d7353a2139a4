#include "Message.h"

#include <cstdio>
#include <cstring>
#include <type_traits>

#include "KitPrivate.h"

static_assert(std::is_trivially_copyable<BMessenger>::value,
	"messenger items are stored as bytes");


BMessage::BMessage()
	: what(0)
{
}


BMessage::BMessage(uint32 what)
	: what(what)
{
}


BMessage::BMessage(const BMessage& other)
	: what(other.what), fFields(other.fFields)
{
}


BMessage::~BMessage()
{
}


BMessage&
BMessage::operator=(const BMessage& other)
{
	what = other.what;
	fFields = other.fFields;
	return *this;
}


// #pragma mark - Information


status_t
BMessage::GetInfo(const char* name, type_code* typeFound,
	int32* countFound) const
{
	const Field* field = _FieldFor(name);
	if (field == NULL) {
		if (typeFound != NULL)
			*typeFound = 0;
		if (countFound != NULL)
			*countFound = 0;
		return name == NULL ? B_BAD_VALUE : B_NAME_NOT_FOUND;
	}
	if (typeFound != NULL)
		*typeFound = field->type;
	if (countFound != NULL)
		*countFound = (int32)field->items.size();
	return B_OK;
}


status_t
BMessage::GetInfo(type_code typeRequested, int32 index, const char** nameFound,
	type_code* typeFound, int32* countFound) const
{
	if (nameFound != NULL)
		*nameFound = NULL;
	if (typeFound != NULL)
		*typeFound = 0;
	if (countFound != NULL)
		*countFound = 0;
	if (index < 0)
		return B_BAD_INDEX;

	int32 seen = 0;
	for (const Field& field : fFields) {
		if (typeRequested != B_ANY_TYPE && field.type != typeRequested)
			continue;
		if (seen++ < index)
			continue;
		if (nameFound != NULL)
			*nameFound = field.name.c_str();
		if (typeFound != NULL)
			*typeFound = field.type;
		if (countFound != NULL)
			*countFound = (int32)field.items.size();
		return B_OK;
	}
	return seen == 0 ? B_BAD_TYPE : B_BAD_INDEX;
}


status_t
BMessage::GetInfo(type_code typeRequested, int32 index, char** nameFound,
	type_code* typeFound, int32* countFound) const
{
	const char* name = NULL;
	status_t status = GetInfo(typeRequested, index, &name, typeFound,
		countFound);
	if (nameFound != NULL)
		*nameFound = const_cast<char*>(name);
	return status;
}


int32
BMessage::CountNames(type_code type) const
{
	int32 count = 0;
	for (const Field& field : fFields) {
		if (type == B_ANY_TYPE || field.type == type)
			count++;
	}
	return count;
}


bool
BMessage::IsEmpty() const
{
	return fFields.empty();
}


void
BMessage::MakeEmpty()
{
	fFields.clear();
}


void
BMessage::PrintToStream() const
{
	std::string text = BPrivate::DescribeMessage(*this);
	fwrite(text.data(), 1, text.size(), stdout);
	fflush(stdout);
}


// #pragma mark - Removing


status_t
BMessage::RemoveName(const char* name)
{
	for (size_t i = 0; name != NULL && i < fFields.size(); i++) {
		if (fFields[i].name == name) {
			fFields.erase(fFields.begin() + i);
			return B_OK;
		}
	}
	return name == NULL ? B_BAD_VALUE : B_NAME_NOT_FOUND;
}


status_t
BMessage::RemoveData(const char* name, int32 index)
{
	Field* field = _FieldFor(name);
	if (field == NULL)
		return name == NULL ? B_BAD_VALUE : B_NAME_NOT_FOUND;
	if (index < 0 || (size_t)index >= field->items.size())
		return B_BAD_INDEX;
	field->items.erase(field->items.begin() + index);
	if (field->items.empty())
		return RemoveName(name);
	return B_OK;
}


// #pragma mark - Adding


status_t
BMessage::AddData(const char* name, type_code type, const void* data,
	ssize_t numBytes, bool, int32)
{
	if (name == NULL || (data == NULL && numBytes > 0) || numBytes < 0
		|| type == B_ANY_TYPE)
		return B_BAD_VALUE;

	Field* field = _FieldFor(name);
	if (field == NULL) {
		fFields.push_back(Field());
		field = &fFields.back();
		field->name = name;
		field->type = type;
	} else if (field->type != type)
		return B_BAD_TYPE;

	field->items.push_back(std::string(static_cast<const char*>(data),
		(size_t)numBytes));
	return B_OK;
}


template<typename T>
status_t
BMessage::_AddValue(const char* name, type_code type, const T& value)
{
	return AddData(name, type, &value, sizeof(T));
}


status_t
BMessage::AddRect(const char* name, BRect rect)
{
	return _AddValue(name, B_RECT_TYPE, rect);
}


status_t
BMessage::AddPoint(const char* name, BPoint point)
{
	return _AddValue(name, B_POINT_TYPE, point);
}


status_t
BMessage::AddString(const char* name, const char* string)
{
	if (string == NULL)
		return B_BAD_VALUE;
	// The stored item keeps its terminating NUL, as on the real kit.
	return AddData(name, B_STRING_TYPE, string, strlen(string) + 1, false);
}


status_t
BMessage::AddString(const char* name, const std::string& string)
{
	return AddData(name, B_STRING_TYPE, string.c_str(), string.size() + 1,
		false);
}


status_t
BMessage::AddInt8(const char* name, int8 value)
{
	return _AddValue(name, B_INT8_TYPE, value);
}


status_t
BMessage::AddUInt8(const char* name, uint8 value)
{
	return _AddValue(name, B_UINT8_TYPE, value);
}


status_t
BMessage::AddInt16(const char* name, int16 value)
{
	return _AddValue(name, B_INT16_TYPE, value);
}


status_t
BMessage::AddUInt16(const char* name, uint16 value)
{
	return _AddValue(name, B_UINT16_TYPE, value);
}


status_t
BMessage::AddInt32(const char* name, int32 value)
{
	return _AddValue(name, B_INT32_TYPE, value);
}


status_t
BMessage::AddUInt32(const char* name, uint32 value)
{
	return _AddValue(name, B_UINT32_TYPE, value);
}


status_t
BMessage::AddInt64(const char* name, int64 value)
{
	return _AddValue(name, B_INT64_TYPE, value);
}


status_t
BMessage::AddUInt64(const char* name, uint64 value)
{
	return _AddValue(name, B_UINT64_TYPE, value);
}


status_t
BMessage::AddBool(const char* name, bool value)
{
	return _AddValue(name, B_BOOL_TYPE, value);
}


status_t
BMessage::AddFloat(const char* name, float value)
{
	return _AddValue(name, B_FLOAT_TYPE, value);
}


status_t
BMessage::AddDouble(const char* name, double value)
{
	return _AddValue(name, B_DOUBLE_TYPE, value);
}


status_t
BMessage::AddPointer(const char* name, const void* pointer)
{
	return _AddValue(name, B_POINTER_TYPE, pointer);
}


status_t
BMessage::AddMessenger(const char* name, BMessenger messenger)
{
	return _AddValue(name, B_MESSENGER_TYPE, messenger);
}


status_t
BMessage::AddMessage(const char* name, const BMessage* message)
{
	if (message == NULL)
		return B_BAD_VALUE;
	std::string flat = BPrivate::FlattenMessage(*message);
	return AddData(name, B_MESSAGE_TYPE, flat.data(), flat.size(), false);
}


// #pragma mark - Finding


const BMessage::Field*
BMessage::_FieldFor(const char* name) const
{
	if (name == NULL)
		return NULL;
	for (const Field& field : fFields) {
		if (field.name == name)
			return &field;
	}
	return NULL;
}


BMessage::Field*
BMessage::_FieldFor(const char* name)
{
	return const_cast<Field*>(
		static_cast<const BMessage*>(this)->_FieldFor(name));
}


status_t
BMessage::_Item(const char* name, type_code type, int32 index,
	const std::string** item) const
{
	*item = NULL;
	if (name == NULL)
		return B_BAD_VALUE;
	const Field* field = _FieldFor(name);
	if (field == NULL)
		return B_NAME_NOT_FOUND;
	if (type != B_ANY_TYPE && field->type != type)
		return B_BAD_TYPE;
	if (index < 0 || (size_t)index >= field->items.size())
		return B_BAD_INDEX;
	*item = &field->items[index];
	return B_OK;
}


template<typename T>
status_t
BMessage::_FindValue(const char* name, type_code type, int32 index,
	T* value) const
{
	if (value == NULL)
		return B_BAD_VALUE;
	*value = T();
	const std::string* item;
	status_t status = _Item(name, type, index, &item);
	if (status != B_OK)
		return status;
	if (item->size() != sizeof(T))
		return B_BAD_TYPE;
	memcpy(static_cast<void*>(value), item->data(), sizeof(T));
	return B_OK;
}


status_t
BMessage::FindData(const char* name, type_code type, const void** data,
	ssize_t* numBytes) const
{
	return FindData(name, type, 0, data, numBytes);
}


status_t
BMessage::FindData(const char* name, type_code type, int32 index,
	const void** data, ssize_t* numBytes) const
{
	if (data != NULL)
		*data = NULL;
	if (numBytes != NULL)
		*numBytes = 0;
	const std::string* item;
	status_t status = _Item(name, type, index, &item);
	if (status != B_OK)
		return status;
	if (data != NULL)
		*data = item->data();
	if (numBytes != NULL)
		*numBytes = (ssize_t)item->size();
	return B_OK;
}


status_t
BMessage::FindRect(const char* name, BRect* rect) const
{
	return FindRect(name, 0, rect);
}


status_t
BMessage::FindRect(const char* name, int32 index, BRect* rect) const
{
	return _FindValue(name, B_RECT_TYPE, index, rect);
}


status_t
BMessage::FindPoint(const char* name, BPoint* point) const
{
	return _FindValue(name, B_POINT_TYPE, 0, point);
}


status_t
BMessage::FindPoint(const char* name, int32 index, BPoint* point) const
{
	return _FindValue(name, B_POINT_TYPE, index, point);
}


status_t
BMessage::FindString(const char* name, const char** string) const
{
	return FindString(name, 0, string);
}


status_t
BMessage::FindString(const char* name, int32 index, const char** string) const
{
	if (string == NULL)
		return B_BAD_VALUE;
	*string = NULL;
	const std::string* item;
	status_t status = _Item(name, B_STRING_TYPE, index, &item);
	if (status == B_OK)
		*string = item->c_str();
	return status;
}


status_t
BMessage::FindString(const char* name, std::string* string) const
{
	return FindString(name, 0, string);
}


status_t
BMessage::FindString(const char* name, int32 index, std::string* string) const
{
	if (string == NULL)
		return B_BAD_VALUE;
	const char* found;
	status_t status = FindString(name, index, &found);
	string->assign(found != NULL ? found : "");
	return status;
}


#define NUV_FIND_PAIR(Name, Type, Code) \
	status_t \
	BMessage::Find##Name(const char* name, Type* value) const \
	{ \
		return _FindValue(name, Code, 0, value); \
	} \
	status_t \
	BMessage::Find##Name(const char* name, int32 index, Type* value) const \
	{ \
		return _FindValue(name, Code, index, value); \
	}

NUV_FIND_PAIR(Int8, int8, B_INT8_TYPE)
NUV_FIND_PAIR(UInt8, uint8, B_UINT8_TYPE)
NUV_FIND_PAIR(Int16, int16, B_INT16_TYPE)
NUV_FIND_PAIR(UInt16, uint16, B_UINT16_TYPE)
NUV_FIND_PAIR(Int32, int32, B_INT32_TYPE)
NUV_FIND_PAIR(UInt32, uint32, B_UINT32_TYPE)
NUV_FIND_PAIR(Int64, int64, B_INT64_TYPE)
NUV_FIND_PAIR(UInt64, uint64, B_UINT64_TYPE)
NUV_FIND_PAIR(Bool, bool, B_BOOL_TYPE)
NUV_FIND_PAIR(Float, float, B_FLOAT_TYPE)
NUV_FIND_PAIR(Double, double, B_DOUBLE_TYPE)
NUV_FIND_PAIR(Pointer, void*, B_POINTER_TYPE)
NUV_FIND_PAIR(Messenger, BMessenger, B_MESSENGER_TYPE)

#undef NUV_FIND_PAIR


status_t
BMessage::FindMessage(const char* name, BMessage* message) const
{
	return FindMessage(name, 0, message);
}


status_t
BMessage::FindMessage(const char* name, int32 index, BMessage* message) const
{
	if (message == NULL)
		return B_BAD_VALUE;
	message->what = 0;
	message->MakeEmpty();
	const std::string* item;
	status_t status = _Item(name, B_MESSAGE_TYPE, index, &item);
	if (status != B_OK)
		return status;
	return BPrivate::UnflattenMessage(*item, message) ? B_OK : B_BAD_VALUE;
}


// #pragma mark - Replacing


status_t
BMessage::ReplaceData(const char* name, type_code type, int32 index,
	const void* data, ssize_t numBytes)
{
	if (data == NULL || numBytes < 0)
		return B_BAD_VALUE;
	const std::string* item;
	status_t status = _Item(name, type, index, &item);
	if (status != B_OK)
		return status;
	const_cast<std::string*>(item)->assign(static_cast<const char*>(data),
		(size_t)numBytes);
	return B_OK;
}


status_t
BMessage::ReplaceInt8(const char* name, int8 value)
{
	return ReplaceData(name, B_INT8_TYPE, 0, &value, sizeof(value));
}


status_t
BMessage::ReplaceInt32(const char* name, int32 value)
{
	return ReplaceData(name, B_INT32_TYPE, 0, &value, sizeof(value));
}


status_t
BMessage::ReplaceInt32(const char* name, int32 index, int32 value)
{
	return ReplaceData(name, B_INT32_TYPE, index, &value, sizeof(value));
}


status_t
BMessage::ReplaceInt64(const char* name, int64 value)
{
	return ReplaceData(name, B_INT64_TYPE, 0, &value, sizeof(value));
}


status_t
BMessage::ReplaceBool(const char* name, bool value)
{
	return ReplaceData(name, B_BOOL_TYPE, 0, &value, sizeof(value));
}


status_t
BMessage::ReplaceFloat(const char* name, float value)
{
	return ReplaceData(name, B_FLOAT_TYPE, 0, &value, sizeof(value));
}


status_t
BMessage::ReplaceString(const char* name, const char* string)
{
	if (string == NULL)
		return B_BAD_VALUE;
	return ReplaceData(name, B_STRING_TYPE, 0, string, strlen(string) + 1);
}


status_t
BMessage::ReplacePoint(const char* name, BPoint point)
{
	return ReplaceData(name, B_POINT_TYPE, 0, &point, sizeof(point));
}


// #pragma mark - Presence


bool
BMessage::HasData(const char* name, type_code type, int32 index) const
{
	const std::string* item;
	return _Item(name, type, index, &item) == B_OK;
}


bool
BMessage::HasRect(const char* name, int32 index) const
{
	return HasData(name, B_RECT_TYPE, index);
}


bool
BMessage::HasPoint(const char* name, int32 index) const
{
	return HasData(name, B_POINT_TYPE, index);
}


bool
BMessage::HasString(const char* name, int32 index) const
{
	return HasData(name, B_STRING_TYPE, index);
}


bool
BMessage::HasInt8(const char* name, int32 index) const
{
	return HasData(name, B_INT8_TYPE, index);
}


bool
BMessage::HasInt16(const char* name, int32 index) const
{
	return HasData(name, B_INT16_TYPE, index);
}


bool
BMessage::HasInt32(const char* name, int32 index) const
{
	return HasData(name, B_INT32_TYPE, index);
}


bool
BMessage::HasInt64(const char* name, int32 index) const
{
	return HasData(name, B_INT64_TYPE, index);
}


bool
BMessage::HasBool(const char* name, int32 index) const
{
	return HasData(name, B_BOOL_TYPE, index);
}


bool
BMessage::HasFloat(const char* name, int32 index) const
{
	return HasData(name, B_FLOAT_TYPE, index);
}


bool
BMessage::HasDouble(const char* name, int32 index) const
{
	return HasData(name, B_DOUBLE_TYPE, index);
}


bool
BMessage::HasPointer(const char* name, int32 index) const
{
	return HasData(name, B_POINTER_TYPE, index);
}


bool
BMessage::HasMessenger(const char* name, int32 index) const
{
	return HasData(name, B_MESSENGER_TYPE, index);
}


bool
BMessage::HasMessage(const char* name, int32 index) const
{
	return HasData(name, B_MESSAGE_TYPE, index);
}


// #pragma mark - Legacy finders


const char*
BMessage::FindString(const char* name, int32 index) const
{
	const char* string;
	FindString(name, index, &string);
	return string;
}


int8
BMessage::FindInt8(const char* name, int32 index) const
{
	int8 value;
	FindInt8(name, index, &value);
	return value;
}


int16
BMessage::FindInt16(const char* name, int32 index) const
{
	int16 value;
	FindInt16(name, index, &value);
	return value;
}


int32
BMessage::FindInt32(const char* name, int32 index) const
{
	int32 value;
	FindInt32(name, index, &value);
	return value;
}


int64
BMessage::FindInt64(const char* name, int32 index) const
{
	int64 value;
	FindInt64(name, index, &value);
	return value;
}


bool
BMessage::FindBool(const char* name, int32 index) const
{
	bool value;
	FindBool(name, index, &value);
	return value;
}


float
BMessage::FindFloat(const char* name, int32 index) const
{
	float value;
	FindFloat(name, index, &value);
	return value;
}


BPoint
BMessage::FindPoint(const char* name, int32 index) const
{
	BPoint value;
	FindPoint(name, index, &value);
	return value;
}


BRect
BMessage::FindRect(const char* name, int32 index) const
{
	BRect value;
	FindRect(name, index, &value);
	return value;
}
