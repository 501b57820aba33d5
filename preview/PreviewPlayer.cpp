#include "preview/PreviewPlayer.h"

CPreviewPlayer* g_pPlayer = nullptr;

CPreviewPlayer::CPreviewPlayer(HINSTANCE instance, HWND mainWindow) : m_hwndMain(mainWindow), m_hInstance(instance) {}

CPreviewPlayer::~CPreviewPlayer() = default;

int CPreviewPlayer::OpenMedia() { return 0; }
void CPreviewPlayer::Play() {}
void CPreviewPlayer::Pause() {}
void CPreviewPlayer::Stop() {}
HRESULT CPreviewPlayer::SeekTo(ReferenceTime) { return E_NOTIMPL; }
void CPreviewPlayer::Close() { m_nState = StateNoMedia; }
