#include "conversion/register_analizers.h"

#include "conversion/analizer_object.h"
#include "conversion/code_analizers.h"
#include "conversion/data_analizers.h"
#include "conversion/rule_analizers.h"

namespace ambrix {

// The one place that knows every analyzer class: the order below is the
// registry order, data objects first, then code objects.
void RegisterAnalizers(TAnalizerObjectList& Analizers) {
  Analizers.Register<TAnalizer_Default>();
  Analizers.Register<TAnalizer_Domain>();
  Analizers.Register<TAnalizer_Table>();
  Analizers.Register<TAnalizer_Index>();
  Analizers.Register<TAnalizer_ConstraintUnique>();
  Analizers.Register<TAnalizer_ConstraintForeignKey>();
  Analizers.Register<TAnalizer_ConstraintPrimaryKey>();
  Analizers.Register<TAnalizer_ConstraintDefault>();
  Analizers.Register<TAnalizer_Rule>();
  Analizers.Register<TAnalizer_ConstraintRule>();
  Analizers.Register<TAnalizer_Function>();
  Analizers.Register<TAnalizer_Procedure>();
  Analizers.Register<TAnalizer_View>();
  Analizers.Register<TAnalizer_Trigger>();
}

}  // namespace ambrix
