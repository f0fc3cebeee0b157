// What the collector accepts as a batch: a JSON array of records with no
// white space outside strings, every object's keys in strictly ascending
// byte order, and each record holding exactly the keys _track_id,
// distinct_id, event, lib, properties, time, type with their types.
#pragma once

#include <string>
#include <vector>

namespace collector {

// The record texts of a batch, exactly as sent, in order.
bool SplitBatch(const std::string& batch, std::vector<std::string>* records, std::string* error);
// One record text: syntax, key order, the seven keys and their types.
bool CheckRecord(const std::string& record, std::string* error);

}  // namespace collector
