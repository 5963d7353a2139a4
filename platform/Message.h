// A message: a code (`what`) and named fields of typed items.
//
// Fields keep the order in which their names were first added; items keep
// the order in which they were added. All items of a field have one type:
// adding an item of another type to an existing name gives B_BAD_TYPE.
// Copies are deep. Find calls zero their output first, so a missing field
// reads as 0, false, (0, 0), an empty messenger or a NULL string. Not
// synchronised: one thread at a time.
#ifndef _MESSAGE_H
#define _MESSAGE_H

#include <string>
#include <vector>

#include <Messenger.h>
#include <Rect.h>
#include <SupportDefs.h>
#include <TypeConstants.h>

class BHandler;

class BMessage {
public:
	uint32	what;

	BMessage();
	BMessage(uint32 what);
	BMessage(const BMessage& other);
	virtual ~BMessage();

	BMessage& operator=(const BMessage& other);

	// Information about fields
	// The type and item count of the named field; B_NAME_NOT_FOUND (count
	// 0) when there is none.
	status_t GetInfo(const char* name, type_code* typeFound,
		int32* countFound = NULL) const;
	// The index-th field (in field order) of the given type, or of any type
	// for B_ANY_TYPE. *nameFound points into the message. B_BAD_INDEX past
	// the last; B_BAD_TYPE when no field has the type.
	status_t GetInfo(type_code typeRequested, int32 index, char** nameFound,
		type_code* typeFound, int32* countFound = NULL) const;
	status_t GetInfo(type_code typeRequested, int32 index,
		const char** nameFound, type_code* typeFound,
		int32* countFound = NULL) const;
	int32 CountNames(type_code type) const;
	bool IsEmpty() const;
	void MakeEmpty();
	// Writes every field and item, in order, to standard output.
	void PrintToStream() const;

	// Removing
	status_t RemoveName(const char* name);
	status_t RemoveData(const char* name, int32 index = 0);

	// Adding: appends one item; B_BAD_VALUE for a NULL name or data.
	status_t AddData(const char* name, type_code type, const void* data,
		ssize_t numBytes, bool isFixedSize = true, int32 count = 1);
	status_t AddRect(const char* name, BRect rect);
	status_t AddPoint(const char* name, BPoint point);
	status_t AddString(const char* name, const char* string);
	status_t AddString(const char* name, const std::string& string);
	status_t AddInt8(const char* name, int8 value);
	status_t AddUInt8(const char* name, uint8 value);
	status_t AddInt16(const char* name, int16 value);
	status_t AddUInt16(const char* name, uint16 value);
	status_t AddInt32(const char* name, int32 value);
	status_t AddUInt32(const char* name, uint32 value);
	status_t AddInt64(const char* name, int64 value);
	status_t AddUInt64(const char* name, uint64 value);
	status_t AddBool(const char* name, bool value);
	status_t AddFloat(const char* name, float value);
	status_t AddDouble(const char* name, double value);
	status_t AddPointer(const char* name, const void* pointer);
	status_t AddMessenger(const char* name, BMessenger messenger);
	status_t AddMessage(const char* name, const BMessage* message);

	// Finding: B_OK, B_NAME_NOT_FOUND, B_BAD_TYPE or B_BAD_INDEX.
	status_t FindData(const char* name, type_code type, const void** data,
		ssize_t* numBytes) const;
	status_t FindData(const char* name, type_code type, int32 index,
		const void** data, ssize_t* numBytes) const;
	status_t FindRect(const char* name, BRect* rect) const;
	status_t FindRect(const char* name, int32 index, BRect* rect) const;
	status_t FindPoint(const char* name, BPoint* point) const;
	status_t FindPoint(const char* name, int32 index, BPoint* point) const;
	// *string points into the message and stays valid while the item does.
	status_t FindString(const char* name, const char** string) const;
	status_t FindString(const char* name, int32 index,
		const char** string) const;
	status_t FindString(const char* name, std::string* string) const;
	status_t FindString(const char* name, int32 index,
		std::string* string) const;
	status_t FindInt8(const char* name, int8* value) const;
	status_t FindInt8(const char* name, int32 index, int8* value) const;
	status_t FindUInt8(const char* name, uint8* value) const;
	status_t FindUInt8(const char* name, int32 index, uint8* value) const;
	status_t FindInt16(const char* name, int16* value) const;
	status_t FindInt16(const char* name, int32 index, int16* value) const;
	status_t FindUInt16(const char* name, uint16* value) const;
	status_t FindUInt16(const char* name, int32 index, uint16* value) const;
	status_t FindInt32(const char* name, int32* value) const;
	status_t FindInt32(const char* name, int32 index, int32* value) const;
	status_t FindUInt32(const char* name, uint32* value) const;
	status_t FindUInt32(const char* name, int32 index, uint32* value) const;
	status_t FindInt64(const char* name, int64* value) const;
	status_t FindInt64(const char* name, int32 index, int64* value) const;
	status_t FindUInt64(const char* name, uint64* value) const;
	status_t FindUInt64(const char* name, int32 index, uint64* value) const;
	status_t FindBool(const char* name, bool* value) const;
	status_t FindBool(const char* name, int32 index, bool* value) const;
	status_t FindFloat(const char* name, float* value) const;
	status_t FindFloat(const char* name, int32 index, float* value) const;
	status_t FindDouble(const char* name, double* value) const;
	status_t FindDouble(const char* name, int32 index, double* value) const;
	status_t FindPointer(const char* name, void** pointer) const;
	status_t FindPointer(const char* name, int32 index, void** pointer) const;
	status_t FindMessenger(const char* name, BMessenger* messenger) const;
	status_t FindMessenger(const char* name, int32 index,
		BMessenger* messenger) const;
	status_t FindMessage(const char* name, BMessage* message) const;
	status_t FindMessage(const char* name, int32 index,
		BMessage* message) const;

	// Replacing an existing item; B_NAME_NOT_FOUND, B_BAD_TYPE, B_BAD_INDEX.
	status_t ReplaceData(const char* name, type_code type, int32 index,
		const void* data, ssize_t numBytes);
	status_t ReplaceInt8(const char* name, int8 value);
	status_t ReplaceInt32(const char* name, int32 value);
	status_t ReplaceInt32(const char* name, int32 index, int32 value);
	status_t ReplaceInt64(const char* name, int64 value);
	status_t ReplaceBool(const char* name, bool value);
	status_t ReplaceFloat(const char* name, float value);
	status_t ReplaceString(const char* name, const char* string);
	status_t ReplacePoint(const char* name, BPoint point);

	// Presence of an item of the field's type
	bool HasData(const char* name, type_code type, int32 index = 0) const;
	bool HasRect(const char* name, int32 index = 0) const;
	bool HasPoint(const char* name, int32 index = 0) const;
	bool HasString(const char* name, int32 index = 0) const;
	bool HasInt8(const char* name, int32 index = 0) const;
	bool HasInt16(const char* name, int32 index = 0) const;
	bool HasInt32(const char* name, int32 index = 0) const;
	bool HasInt64(const char* name, int32 index = 0) const;
	bool HasBool(const char* name, int32 index = 0) const;
	bool HasFloat(const char* name, int32 index = 0) const;
	bool HasDouble(const char* name, int32 index = 0) const;
	bool HasPointer(const char* name, int32 index = 0) const;
	bool HasMessenger(const char* name, int32 index = 0) const;
	bool HasMessage(const char* name, int32 index = 0) const;

	// Legacy finders: the value, or 0 / NULL when missing.
	const char* FindString(const char* name, int32 index = 0) const;
	int8 FindInt8(const char* name, int32 index = 0) const;
	int16 FindInt16(const char* name, int32 index = 0) const;
	int32 FindInt32(const char* name, int32 index = 0) const;
	int64 FindInt64(const char* name, int32 index = 0) const;
	bool FindBool(const char* name, int32 index = 0) const;
	float FindFloat(const char* name, int32 index = 0) const;
	BPoint FindPoint(const char* name, int32 index = 0) const;
	BRect FindRect(const char* name, int32 index = 0) const;

private:
	struct Field {
		std::string					name;
		type_code					type;
		std::vector<std::string>	items;
	};

	template<typename T> status_t _AddValue(const char* name,
		type_code type, const T& value);
	template<typename T> status_t _FindValue(const char* name,
		type_code type, int32 index, T* value) const;
	const Field* _FieldFor(const char* name) const;
	Field* _FieldFor(const char* name);
	status_t _Item(const char* name, type_code type, int32 index,
		const std::string** item) const;

	std::vector<Field>	fFields;
};

#endif	// _MESSAGE_H
