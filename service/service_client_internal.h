#pragma once
// Shared by the wrapper files of the service client; not for callers.
#include "core/log.h"
#include "service/service_state.h"
#include "service/web_service_client.h"

#include <algorithm>

#include <QString>
#include <string>

// A message of the client in the user's language.
QString ServiceTr(const char* text);
// An error box titled with the product's name.
void ShowServiceError(const QString& text);
// A result text for the run log; a missing result shows as "(null)". Control
// characters are escaped, and a text longer than kMaxLoggedResultBytes is cut
// there with its full length noted.
inline constexpr size_t kMaxLoggedResultBytes = 2048;
std::string LogText(const char* text);
// The digest is a credential: logs show only its beginning.
std::string DigestForLog(const std::string& digest);

template <typename Request, typename Response>
int CWebServiceClient::Invoke(const char* operation, int timeoutSeconds, Operation<Request, Response> method,
                              Request& request, Response& response, const std::string* endpoint) {
    if (const int cap = ServiceTimeoutCap(); cap > 0)
        timeoutSeconds = std::min(timeoutSeconds, cap);
    if (m_timeoutCap > 0)
        timeoutSeconds = std::min(timeoutSeconds, m_timeoutCap);
    m_proxy.recv_timeout = m_proxy.send_timeout = timeoutSeconds;
    m_proxy.connect_timeout = std::min(timeoutSeconds, 20);
    // The stall time-outs restart with every byte: a server that drips its
    // answer would hold the call for ever. The whole exchange gets the same
    // bound.
    m_proxy.transfer_timeout = timeoutSeconds;
    const std::string action = m_namespaceUri + operation;
    const std::string& url = endpoint ? *endpoint : m_endpoint;
    m_lastOutcome = CallOutcome::NotSent;
    if (const int refused = RefuseUnconfiguredHost(url))
        return refused;
    ResetRequestWritten();
    const int rc = (m_proxy.*method)(url.c_str(), action.c_str(), &request, response);
    // A fault is the service's answer as much as a result is; any other
    // failure after the request went out leaves it unknown whether the
    // service took it.
    if (!RequestWritten())
        m_lastOutcome = CallOutcome::NotSent;
    else if (rc == SOAP_OK || soap_soap_error_check(rc))
        m_lastOutcome = CallOutcome::Answered;
    else
        m_lastOutcome = CallOutcome::NoAnswer;
    // The proxy keeps the last address it was given; one given for this call
    // alone (the international endpoint) belongs to the caller and must not
    // outlive it there.
    m_proxy.soap_endpoint = m_endpoint.c_str();
    return rc;
}
