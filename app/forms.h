#pragma once
// The program's windows: each is created once at start-up and reached
// through its one global reference until the program ends.

class TAnaMenu1;
class TUyeKayitForm1;
class TUyeListForm1;
class THakkinda;
class TTakvim1;
class TSehirTanim1;
class TIlceTanim1;
class TMahalleTanim1;
class TResim1;

extern TAnaMenu1 *AnaMenu1;
extern TUyeKayitForm1 *UyeKayitForm1;
extern TUyeListForm1 *UyeListForm1;
extern THakkinda *Hakkinda;
extern TTakvim1 *Takvim1;
extern TSehirTanim1 *SehirTanim1;
extern TIlceTanim1 *IlceTanim1;
extern TMahalleTanim1 *MahalleTanim1;
extern TResim1 *Resim1;
