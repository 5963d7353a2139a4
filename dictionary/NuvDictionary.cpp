#include "NuvDictionary.h"


NuvDictionary::~NuvDictionary()
{
}
