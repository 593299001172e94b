// `cabx test` hashes on a second thread: the decoder's thread hands over each decoded piece and
// marks where each entry ends; the hashing thread computes the MD5 of every entry and prints
// "<md5>  <name>" lines in entry order. Decoding and hashing then overlap instead of taking turns.
//
// Pieces travel in chunks. The decoder can decode a block straight into the chunk being filled
// (HashBlockBuffer, given to the decoder as its block buffer function); pieces of such a block
// arrive where they already lie and are not copied. Pieces from anywhere else are copied in.
#pragma once

#include <cstdint>
#include <string>

struct HashPipeline;

HashPipeline* StartHashPipeline();
// Room for a block of up to `size` bytes at the end of the chunk being filled (see above); the
// pipeline must be the context.
uint8_t* HashBlockBuffer(void* pipeline, uint32_t size);
void HashBytes(HashPipeline* pipeline, const void* data, uint32_t size);
// The bytes handed over since the previous entry's end are the whole entry `name`.
void EndHashedEntry(HashPipeline* pipeline, const std::string& name);
// Waits until every line is printed and stops the thread.
void FinishHashPipeline(HashPipeline* pipeline);
