// Stand-in until the automatic-send records land: the send is made and
// nothing is recorded.
#include "automation/interactive_records.h"

#include "service/web_service_client.h"

int SendAndRecordInteractive(sqlite3*, CWebServiceClient&, bool, const std::vector<NUM_CONTENT>&,
                             const std::function<int(std::string& rrid)>& call) {
    std::string rrid;
    return call(rrid);
}

bool WriteInteractiveRecord(sqlite3*, bool, const std::vector<NUM_CONTENT>&, AutoSendRecord&) { return false; }
