#include "Roster.h"

#include "KitPrivate.h"

namespace {

const BRoster sRoster;

}	// namespace

const BRoster* be_roster = &sRoster;


BRoster::BRoster()
{
}


BRoster::~BRoster()
{
}


status_t
BRoster::Launch(const char* signature, int argc, char** arguments,
	team_id* team) const
{
	return Launch(signature, argc, const_cast<const char* const*>(arguments),
		team);
}


status_t
BRoster::Launch(const char* signature, int argc,
	const char* const* arguments, team_id* team) const
{
	if (signature == NULL || argc < 0 || (argc > 0 && arguments == NULL))
		return B_BAD_VALUE;
	team_id launched = BPrivate::RecordLaunch(signature, argc, arguments);
	if (team != NULL)
		*team = launched;
	return B_OK;
}


status_t
BRoster::Launch(const char* signature, BMessage*, team_id* team) const
{
	return Launch(signature, 0, static_cast<const char* const*>(NULL), team);
}
