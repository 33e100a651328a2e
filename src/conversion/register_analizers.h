#pragma once

namespace ambrix {

class TAnalizerObjectList;

/// Registers the twelve analyzers of the converter in their fixed order:
/// Default, Domain, Table, Index, ConstraintUnique, ConstraintForeignKey,
/// ConstraintPrimaryKey, ConstraintDefault (data objects), then Function,
/// Procedure, View, Trigger (code objects).
void RegisterAnalizers(TAnalizerObjectList& Analizers);

}  // namespace ambrix
