// The generated serialisers and the namespace table in one translation unit:
// gSOAP's runtime refers to the global table, and a static link would drop it
// if it stood in an object of its own.
#include "soapC.cpp"
#include "WebServiceSoap.nsmap"
