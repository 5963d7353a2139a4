#include "NuvInteractiveConverter.h"

#include <utility>


NuvInteractiveConverter::~NuvInteractiveConverter()
{
}


void
NuvInteractiveConverter::ForceConfirm()
{
}


void
NuvInteractiveConverter::Confirm(const std::string& text)
{
	fConfirmed += text;
}


std::string
NuvInteractiveConverter::Confirmed()
{
	std::string text;
	text.swap(fConfirmed);
	return text;
}
