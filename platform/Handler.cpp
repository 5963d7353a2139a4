#include "Handler.h"

#include "Looper.h"


BHandler::BHandler(const char* name)
	: fOwnerLooper(NULL), fName(name != NULL ? name : "")
{
}


BHandler::~BHandler()
{
}


void
BHandler::MessageReceived(BMessage*)
{
}


BLooper*
BHandler::Looper() const
{
	return fOwnerLooper;
}


void
BHandler::SetName(const char* name)
{
	fName = name != NULL ? name : "";
}


const char*
BHandler::Name() const
{
	return fName.c_str();
}


bool
BHandler::LockLooper()
{
	return fOwnerLooper != NULL && fOwnerLooper->Lock();
}


void
BHandler::UnlockLooper()
{
	if (fOwnerLooper != NULL)
		fOwnerLooper->Unlock();
}
