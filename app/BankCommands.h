#pragma once

// The bank commands of the Income and Expenses tab: the bank accounts list, the register and
// the reconciliation, each with the tables it needs held open for its whole showing.

namespace cbk {

void RunBankAccounts();
void RunRegister();
void RunReconcile();

}  // namespace cbk
