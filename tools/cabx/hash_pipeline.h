// `cabx test` hashes on a second thread: the decoder's thread hands over each decoded piece (a
// copy: the decoder reuses its buffer for the next block) and marks where each entry ends; the
// hashing thread computes the MD5 of every entry and prints "<md5>  <name>" lines in entry
// order. Decoding and hashing then overlap instead of taking turns.
#pragma once

#include <cstdint>
#include <string>

struct HashPipeline;

HashPipeline* StartHashPipeline();
void HashBytes(HashPipeline* pipeline, const void* data, uint32_t size);
// The bytes handed over since the previous entry's end are the whole entry `name`.
void EndHashedEntry(HashPipeline* pipeline, const std::string& name);
// Waits until every line is printed and stops the thread.
void FinishHashPipeline(HashPipeline* pipeline);
