#include "recognition/commands.h"

namespace ambrix {

void RegisterCommands(TCommandList& commands) {
  commands.Register<TCommand_CreateTable>();
  commands.Register<TCommand_CreateDefault>();
  commands.Register<TCommand_CreateView>();
  commands.Register<TCommand_CreateProcedure>();
  commands.Register<TCommand_CreateProc>();
  commands.Register<TCommand_CreateFunction>();
  commands.Register<TCommand_CreateTrigger>();
  commands.Register<TCommand_CreateIndex_Standart>();
  commands.Register<TCommand_CreateIndex_Unique>();
  commands.Register<TCommand_CreateIndex_Clustered>();
  commands.Register<TCommand_CreateIndex_NonClustered>();
  commands.Register<TCommand_CreateIndex_UniqueClustered>();
  commands.Register<TCommand_CreateIndex_UniqueNonClustered>();
  commands.Register<TCommand_CreateDomain>();
  commands.Register<TCommand_AlterTable>();
  commands.Register<TCommand_CreateDefaultField>();
  commands.Register<TCommand_CreateRule>();
  commands.Register<TCommand_BindRule>();
}

}  // namespace ambrix
