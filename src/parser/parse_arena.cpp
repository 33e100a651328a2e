#include "parser/parse_arena.h"

#include "parser/term.h"

namespace ambrix {

TTerm* TParseArena::NewPlainTerm(std::string_view text) {
  // Room first, so that a term is never left untracked.
  if (terms_.size() == terms_.capacity()) terms_.reserve(terms_.empty() ? 64 : terms_.size() * 2);
  TTerm* term = New<TTerm>(TTerm::PlainText{}, text);
  terms_.push_back(term);
  return term;
}

void TParseArena::DestroyTerms() {
  for (TTerm* term : terms_) term->~TTerm();
  terms_.clear();
}

}  // namespace ambrix
